// Form resources: finding a class's compiled-in text and reading it into the component.
#include "platform/classes/FormResources.h"

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"

bool ReadComponentRes(const String& resourceName, TComponent* instance) {
  if (!ResourceExists(resourceName)) return false;
  TResourceStream stream(resourceName);
  ReadComponentFromStream(&stream, instance);
  return true;
}

bool ReadComponentResTolerant(const String& resourceName, TComponent* instance, std::vector<String>& errors) {
  if (!ResourceExists(resourceName)) return false;
  TResourceStream stream(resourceName);
  ReadComponentFromStream(&stream, instance, true, &errors);
  return true;
}

bool InitInheritedComponent(TComponent* instance, TClass rootAncestor) {
  std::vector<TClass> chain;
  for (TClass c = instance->ClassType(); c && c != rootAncestor; c = c->ClassParent()) chain.push_back(c);
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    found = ReadComponentRes((*it)->ClassName(), instance) || found;
  return found;
}

TComponent* ReadComponentResFile(const String& fileName, TComponent* instance) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  return ReadComponentFromStream(&stream, instance);
}

void WriteComponentResFile(const String& fileName, TComponent* instance) {
  TMemoryStream binary;
  binary.WriteComponent(instance);
  binary.SetPosition(0);
  TFileStream file(fileName, fmCreate);
  ObjectBinaryToText(&binary, &file);
}
