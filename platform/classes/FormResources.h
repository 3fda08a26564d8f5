// Form resources: the component trees of forms and data modules, kept as text beside their code,
// compiled into the program (kiv_resources) under their root class's name, and read into the form
// when it is created, before its OnCreate.
#pragma once

#include <vector>

#include "platform/classes/Component.h"

class TStream;

// Reads the resources of instance's class and of its parents up to (not including) rootAncestor,
// the most basic first (an inherited form's text changes what its parent's made). Answers whether
// any was found. Errors raise (EReadError, EClassNotFound, EParserError) and leave the instance
// without the failed resource's remaining properties.
bool InitInheritedComponent(TComponent* instance, TClass rootAncestor);

// Reads the resource named resourceName (binary or text) into instance; false when there is none.
bool ReadComponentRes(const String& resourceName, TComponent* instance);

// Like ReadComponentRes, but unknown properties and bad values are reported into errors and skipped.
bool ReadComponentResTolerant(const String& resourceName, TComponent* instance, std::vector<String>& errors);

// A component stream file of either form.
TComponent* ReadComponentResFile(const String& fileName, TComponent* instance);
// Writes the text form.
void WriteComponentResFile(const String& fileName, TComponent* instance);
