// Component streaming: TReader and TWriter over the class library's binary form ("TPF0"), the text
// form of component trees, and the conversions and format test between the two.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"

class Variant;
struct Currency;
class TCollection;

enum TValueType : Byte {
  vaNull,
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,
  vaInt64,
  vaUTF8String,
  vaDouble,
};

enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

class TReader;
class TWriter;
using TReaderProc = TDelegate<void(TReader*)>;
using TWriterProc = TDelegate<void(TWriter*)>;
using TStreamProc = TDelegate<void(TStream*)>;

class TFiler : public TObject {
  KIV_CLASS(TFiler, TObject)
 public:
  explicit TFiler(TStream* stream) : stream_(stream) {}

  // A property of the instance's own making (not published): the reader calls readData when the
  // stream holds `name`, the writer calls writeData when hasData is true.
  virtual void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData,
                              bool hasData) = 0;
  // The same for raw bytes (vaBinary): the procedures read or write a memory stream.
  virtual void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                                    bool hasData) = 0;

  TStream* GetStream() const { return stream_; }
  TComponent* GetRoot() const { return root_; }
  virtual void SetRoot(TComponent* root) { root_ = root; }
  TComponent* GetLookupRoot() const { return lookupRoot_; }
  // While writing a descendant: the ancestor's counterpart of the object being written (nil
  // otherwise). DefineProperties compares with it to write only what differs.
  TPersistent* GetAncestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }
  bool GetIgnoreChildren() const { return ignoreChildren_; }
  void SetIgnoreChildren(bool ignore) { ignoreChildren_ = ignore; }

 protected:
  TStream* stream_;
  TComponent* root_ = nullptr;
  TComponent* lookupRoot_ = nullptr;
  TPersistent* ancestor_ = nullptr;
  bool ignoreChildren_ = false;
};

using TReaderError = TDelegate<void(TReader* reader, const String& message, bool& handled)>;
using TCreateComponentEvent =
    TDelegate<void(TReader* reader, TComponentClass componentClass, TComponent*& component)>;
using TAncestorNotFoundEvent = TDelegate<void(TReader* reader, const String& componentName,
                                              TComponentClass componentClass, TComponent*& component)>;
using TFindComponentClassEvent =
    TDelegate<void(TReader* reader, const String& className, TComponentClass& componentClass)>;

// Reads values and component trees from the binary form. A truncated or corrupt stream raises
// EReadError; a property the class does not have raises EReadError "Error reading X.P: Property P does
// not exist" unless OnError handles it or the reader is tolerant (then it is recorded and skipped).
class TReader : public TFiler {
  KIV_CLASS(TReader, TFiler)
 public:
  explicit TReader(TStream* stream, Integer bufSize = 4096);
  // Gives back the bytes read ahead: the stream stands right after what was consumed.
  ~TReader() override;

  TReaderError OnError;
  TCreateComponentEvent OnCreateComponent;
  TAncestorNotFoundEvent OnAncestorNotFound;
  TFindComponentClassEvent OnFindComponentClass;

  // Report-and-skip mode for unknown properties and bad values; the messages are kept in Errors().
  void SetTolerant(bool tolerant) { tolerant_ = tolerant; }
  bool GetTolerant() const { return tolerant_; }
  const std::vector<String>& Errors() const { return errors_; }

  // ---- Values ----
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType value);
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  void SkipValue();
  void ReadSignature();
  void ReadPrefix(TFilerFlags& flags, Integer& childPos);

  bool ReadBoolean();
  Char ReadChar();
  Integer ReadInteger();
  Int64 ReadInt64();
  Extended ReadFloat();
  Single ReadSingle();
  Double ReadDouble();
  Currency ReadCurrency();
  TDateTime ReadDate();
  String ReadString();
  String ReadWideString() { return ReadString(); }
  String ReadIdent();
  // A length-prefixed name (class, component, property) in UTF-8.
  String ReadStr();
  Variant ReadVariant();
  TBytes ReadBinary();
  void ReadCollection(TCollection* collection);
  void Read(void* buffer, Integer count);

  // ---- Components ----
  TComponent* ReadRootComponent(TComponent* root);
  TComponent* ReadComponent(TComponent* component);
  // Properties and children of an instance; TComponent::ReadState calls it.
  void ReadData(TComponent* instance);
  void ReadProperty(TPersistent* instance);

  TComponent* GetOwner() const { return owner_; }
  void SetOwner(TComponent* owner) { owner_ = owner; }
  TComponent* GetParent() const { return parent_; }
  void SetParent(TComponent* parent) { parent_ = parent; }

  void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

 private:
  struct Fixup {
    TPersistent* instance;
    const TPropInfo* info;
    String name;
    // The objects being read when the reference was met (component, items): if one of them goes
    // away before the end, so does the fixup.
    std::vector<TPersistent*> readers;
  };

  void Fill(Integer count);
  Int64 Tell() const;
  void SeekTo(Int64 position);
  [[noreturn]] void ReadError();
  void CheckAvailable(Int64 count);
  void ReadDataInner(TComponent* instance);
  void ReadPropValue(TPersistent* instance, const TPropInfo* info);
  Int64 ReadOrdinalOf(const TPropInfo* info);
  Int64 ReadSetValue(const TTypeInfo* setType);
  void PropertyError(const TPersistent* instance, const String& path, const String& message);
  TComponentClass FindComponentClass(const String& className);
  TComponent* ResolveReference(const String& name);
  void FixupReferences();
  void SetRootName(TComponent* root, const String& name);

  std::vector<Byte> buffer_;
  Int64 streamBase_ = 0;  // the stream position of buffer_[0]
  size_t bufPos_ = 0;
  size_t bufEnd_ = 0;
  Integer bufSize_;
  bool broken_ = false;
  bool tolerant_ = false;
  int depth_ = 0;
  std::vector<String> errors_;
  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  String propName_;
  bool propFound_ = false;
  std::vector<Fixup>* fixups_ = nullptr;
  std::vector<TPersistent*> instances_;  // the ReadProperty calls under way, outermost first
  std::vector<TComponent*>* loaded_ = nullptr;
};

// Writes values and component trees in the binary form.
class TWriter : public TFiler {
  KIV_CLASS(TWriter, TFiler)
 public:
  explicit TWriter(TStream* stream, Integer bufSize = 4096);
  ~TWriter() override;

  void WriteSignature();
  void WritePrefix(TFilerFlags flags, Integer childPos);
  void WriteValue(TValueType value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteBoolean(bool value);
  void WriteChar(Char value);
  // The smallest integer form that holds the value.
  void WriteInteger(Int64 value);
  void WriteFloat(Extended value);
  void WriteSingle(Single value);
  void WriteDouble(Double value);
  void WriteCurrency(Currency value);
  void WriteDate(TDateTime value);
  // ASCII text as vaString/vaLString, anything else as vaWString.
  void WriteString(const String& value);
  void WriteWideString(const String& value) { WriteString(value); }
  void WriteUTF8Str(const String& value);
  void WriteIdent(const String& ident);
  void WriteStr(const String& value);
  // Arrays and values with no stream form raise EWriteError "Stream write error".
  void WriteVariant(const Variant& value);
  void WriteBinary(const TBytes& bytes);
  void WriteCollection(TCollection* collection);
  void Write(const void* buffer, Integer count);
  void FlushBuffer();

  void WriteRootComponent(TComponent* root);
  void WriteDescendent(TComponent* root, TComponent* ancestor);
  void WriteComponent(TComponent* component);
  void WriteData(TComponent* instance);
  void WriteProperties(TPersistent* instance);
  void WriteProperty(TPersistent* instance, const TPropInfo* info);

  void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

 private:
  void WritePropName(const String& name);
  String ComponentReferenceName(const TComponent* component) const;

  std::vector<Byte> buffer_;
  Integer bufSize_;
  String propPath_;
  TComponent* rootAncestor_ = nullptr;
};

// Writes both collections and compares the bytes (the class library's test for "unchanged").
bool CollectionsEqual(TCollection* c1, TCollection* c2, TComponent* owner1 = nullptr,
                      TComponent* owner2 = nullptr);

// ---- Text form ----

enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };

// Looks at the first bytes without moving the stream.
TStreamOriginalFormat TestStreamFormat(TStream* stream);
// Text in UTF-8 (with or without a byte-order mark) or windows-1251 into the binary form; syntax
// errors raise EParserError "<what> on line N".
void ObjectTextToBinary(TStream* input, TStream* output);
// The binary form into UTF-8 text.
void ObjectBinaryToText(TStream* input, TStream* output);

// Reads a component from a stream of either form into instance (or a new root when null).
TComponent* ReadComponentFromStream(TStream* stream, TComponent* instance, bool tolerant = false,
                                    std::vector<String>* errors = nullptr);

// Looks up components named "Root.Name" in other roots (the forms and data modules); the controls
// layer registers the screen's search here.
void SetFindGlobalComponent(std::function<TComponent*(const String& name)> finder);
TComponent* FindGlobalComponent(const String& name);
