#pragma once

#include <string>

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"

// The text form of what the writer writes for root.
inline std::string WriteFormText(TComponent* root) {
  TMemoryStream binary, text;
  binary.WriteComponent(root);
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  return std::string(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.GetSize()));
}
