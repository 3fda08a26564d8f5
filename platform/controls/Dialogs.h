// Message boxes, input boxes and the common dialogs (open, save, picture, font, colour). Every one of
// them asks the dialog hook first, so tests answer them without a window; with no hook the Qt dialog shows.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Set.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/Format.h"

class TFont;
class TStrings;
class TForm;

// ---- Message-box flags and results beyond those of Messages.h ----

constexpr Integer MB_TYPEMASK = 0xF;
constexpr Integer MB_ICONMASK = 0xF0;
constexpr Integer MB_DEFMASK = 0xF00;
constexpr Integer IDHELP = 9;

// MessageBeep kinds (0 is the default beep).
constexpr Cardinal MB_SIMPLEBEEP = 0xFFFFFFFF;

// ---- MessageDlg ----

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The modal result a MessageDlg button gives (mrYes ... as Forms.h numbers them).
Integer MsgDlgButtonResult(TMsgDlgBtn button);
// The Russian text on a button ("Да", "Нет", "ОК", "Отмена" ...).
String MsgDlgButtonCaption(TMsgDlgBtn button);
// The caption MessageDlg gives a type ("Предупреждение", "Ошибка" ...); mtCustom: the application title.
String MsgDlgTypeCaption(TMsgDlgType type);

// ---- The dialog hook ----

enum TDialogKind {
  dkMessageBox,  // Application->MessageBox, ShowMessageBox
  dkMessageDlg,  // MessageDlg, MessageDlgPos, ShowMessage, a CreateMessageDialog form shown modally
  dkInputQuery,  // InputQuery, InputBox
  dkOpenFile,    // TOpenDialog, TOpenPictureDialog
  dkSaveFile,    // TSaveDialog, TSavePictureDialog
  dkFont,        // TFontDialog
  dkColor,       // TColorDialog
  dkPrint,       // the printing layer's dialogs
  dkPrinterSetup,
  dkPageSetup,
};

// What a dialog is about to show. Fields that do not apply to a kind stay at their defaults.
struct TDialogRequest {
  TDialogKind Kind = dkMessageBox;
  String Text;     // the message or the prompt
  String Caption;  // the window caption or the dialog's Title
  // Message boxes: the MB_* flags; MessageDlg: the bits of its TMsgDlgButtons; file, font, colour and
  // print dialogs: the bits of their Options set.
  Int64 Flags = 0;
  TMsgDlgType DlgType = mtCustom;
  // The buttons shown, in order: their results (IDOK ... for message boxes, mrOk ... for MessageDlg)
  // and their texts; DefaultButton is the result of the button that Enter presses.
  std::vector<Integer> Buttons;
  std::vector<String> ButtonCaptions;
  Integer DefaultButton = 0;
  Integer HelpContext = 0;
  Integer X = -1, Y = -1;  // MessageDlgPos: where the box stands; -1 centres it

  String Value;  // InputQuery's text; a file dialog's FileName
  String Filter;
  Integer FilterIndex = 1;
  String InitialDir;
  String DefaultExt;
  TColor Color = 0;
  String FontName;
  Integer FontSize = 0;
  Int64 FontStyle = 0;  // the bits of TFontStyles
  TColor FontColor = 0;
  Integer FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0, Copies = 0;
};

// The hook's answer. For message boxes Result is the button's result; for the other dialogs a
// non-zero Result means the user confirmed (Execute answers true) and the other fields are taken.
struct TDialogAnswer {
  Integer Result = 0;
  String Value;               // the typed text or the chosen file name
  std::vector<String> Files;  // several files (ofAllowMultiSelect); empty means {Value}
  Integer FilterIndex = 0;    // 0 keeps the dialog's own
  std::optional<TColor> Color;
  std::optional<String> FontName;
  std::optional<Integer> FontSize;
  std::optional<Int64> FontStyle;
  std::optional<TColor> FontColor;
  std::optional<Integer> FromPage, ToPage, Copies;

  static TDialogAnswer Button(Integer result) {
    TDialogAnswer a;
    a.Result = result;
    return a;
  }
  static TDialogAnswer Accept(const String& value = String()) {
    TDialogAnswer a;
    a.Result = 1;
    a.Value = value;
    return a;
  }
  static TDialogAnswer Cancel() { return TDialogAnswer(); }
};

using TDialogHook = std::function<TDialogAnswer(const TDialogRequest& request)>;

// Installs the process-wide hook (an empty one removes it) and answers the one it replaced.
TDialogHook SetDialogHook(TDialogHook hook);
bool DialogHookInstalled();
// Asks the hook; empty when none is installed, so the caller shows its real dialog. Dialogs of other
// libraries (the printing layer's) go through here too.
std::optional<TDialogAnswer> AskDialogHook(const TDialogRequest& request);

// A hook for one scope: records every request and answers from a queue (an empty queue answers
// with `fallback`, by default a cancel). Puts the previous hook back when it goes.
class TDialogRecorder {
 public:
  explicit TDialogRecorder(TDialogAnswer fallback = TDialogAnswer::Cancel());
  ~TDialogRecorder();
  TDialogRecorder(const TDialogRecorder&) = delete;
  TDialogRecorder& operator=(const TDialogRecorder&) = delete;

  TDialogRecorder& Answer(TDialogAnswer answer);
  TDialogRecorder& AnswerButton(Integer result) { return Answer(TDialogAnswer::Button(result)); }
  // Lets a test look at the request before answering it.
  TDialogRecorder& Answer(std::function<TDialogAnswer(const TDialogRequest&)> answer);

  const std::vector<TDialogRequest>& Requests() const { return requests_; }
  const TDialogRequest& Last() const;
  int Count() const { return static_cast<int>(requests_.size()); }

 private:
  TDialogHook previous_;
  TDialogAnswer fallback_;
  std::deque<std::function<TDialogAnswer(const TDialogRequest&)>> answers_;
  std::vector<TDialogRequest> requests_;
};

// ---- Message boxes ----

// The modal system box behind Application->MessageBox: flags MB_*, result IDOK ... IDNO. An empty
// caption gives "Ошибка". While the box is open, Application->Terminate() closes it and it answers the
// most cautious button: Cancel, else No, else Abort, else OK.
Integer ShowMessageBox(const String& text, const String& caption, Integer flags);

void ShowMessage(const String& msg);
void ShowMessageFmt(const String& format, std::initializer_list<TVarRec> args);
Integer MessageDlg(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx = 0);
// Default button given explicitly (mbNo makes No the Enter button).
Integer MessageDlg(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx,
                   TMsgDlgBtn defaultButton);
Integer MessageDlgPos(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx,
                      Integer x, Integer y);
// A form with the icon, the message and a button per member of buttons (each with its ModalResult),
// owned by the application; the caller shows it with ShowModal and frees it.
TForm* CreateMessageDialog(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons);
TForm* CreateMessageDialog(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
                           TMsgDlgBtn defaultButton);

// 0 is the default sound; only the display server's bell exists here.
bool MessageBeep(Cardinal type);

// False when cancelled; value keeps its text then.
bool InputQuery(const String& caption, const String& prompt, String& value);
String InputBox(const String& caption, const String& prompt, const String& defaultValue);

// ---- Common dialogs ----

class TCommonDialog : public TComponent {
  KIV_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* owner);
  static void Published(TPropBuilder<TCommonDialog>& p);

  virtual bool Execute() = 0;
  Integer GetHelpContext() const { return helpContext_; }
  void SetHelpContext(Integer value) { helpContext_ = value; }
  bool GetCtl3D() const { return ctl3D_; }
  void SetCtl3D(bool value) { ctl3D_ = value; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  void DoShow();
  void DoClose();

 private:
  Integer helpContext_ = 0;
  bool ctl3D_ = true;
};

enum TOpenOption {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
  ofDontAddToRecent,
  ofForceShowHidden,
};
using TOpenOptions = TSet<TOpenOption>;
const TTypeInfo* TypeInfoOpenOptions();

// The open-file dialog. Filter is "Text files|*.txt|All|*.*"; FilterIndex is 1-based. Execute answers
// true and sets FileName (and Files) when a file was chosen; DefaultExt is added to a name without
// an extension.
class TOpenDialog : public TCommonDialog {
  KIV_CLASS(TOpenDialog, TCommonDialog)
 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;
  static void Published(TPropBuilder<TOpenDialog>& p);

  bool Execute() override;

  const String& GetFileName() const { return fileName_; }
  void SetFileName(const String& value) { fileName_ = value; }
  TStrings* GetFiles() const { return files_.get(); }
  const String& GetFilter() const { return filter_; }
  void SetFilter(const String& value) { filter_ = value; }
  Integer GetFilterIndex() const { return filterIndex_; }
  void SetFilterIndex(Integer value) { filterIndex_ = value; }
  const String& GetDefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const String& value) { defaultExt_ = value; }
  const String& GetInitialDir() const { return initialDir_; }
  void SetInitialDir(const String& value) { initialDir_ = value; }
  TOpenOptions GetOptions() const { return options_; }
  void SetOptions(TOpenOptions value) { options_ = value; }
  const String& GetTitle() const { return title_; }
  void SetTitle(const String& value) { title_ = value; }

  TNotifyEvent OnSelectionChange;
  TNotifyEvent OnFolderChange;
  TNotifyEvent OnTypeChange;

 protected:
  virtual TDialogKind Kind() const { return dkOpenFile; }
  // The title used when Title is empty.
  virtual String DefaultTitle() const;

 private:
  bool ExecuteWithHook(const TDialogAnswer& answer, const String& caption);
  bool Accept(const std::vector<String>& chosen, Integer filterIndex);

  String fileName_;
  std::unique_ptr<TStrings> files_;
  String filter_;
  Integer filterIndex_ = 1;
  String defaultExt_;
  String initialDir_;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
  String title_;
};

// The save-file dialog. With ofOverwritePrompt an existing file is confirmed by a message box
// (through the hook as well) before Execute answers true.
class TSaveDialog : public TOpenDialog {
  KIV_CLASS(TSaveDialog, TOpenDialog)
 public:
  explicit TSaveDialog(TComponent* owner);

 protected:
  TDialogKind Kind() const override { return dkSaveFile; }
  String DefaultTitle() const override;
};

// The picture dialogs: their filter lists the graphic formats the graphics layer reads and writes.
class TOpenPictureDialog : public TOpenDialog {
  KIV_CLASS(TOpenPictureDialog, TOpenDialog)
 public:
  explicit TOpenPictureDialog(TComponent* owner);
};

class TSavePictureDialog : public TSaveDialog {
  KIV_CLASS(TSavePictureDialog, TSaveDialog)
 public:
  explicit TSavePictureDialog(TComponent* owner);
};

enum TFontDialogOption {
  fdAnsiOnly,
  fdTrueTypeOnly,
  fdEffects,
  fdFixedPitchOnly,
  fdForceFontExist,
  fdNoFaceSel,
  fdNoOEMFonts,
  fdNoSimulations,
  fdNoSizeSel,
  fdNoStyleSel,
  fdNoVectorFonts,
  fdShowHelp,
  fdWysiwyg,
  fdLimitSize,
  fdScalableOnly,
  fdApplyButton,
};
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
  KIV_CLASS(TFontDialog, TCommonDialog)
 public:
  explicit TFontDialog(TComponent* owner);
  ~TFontDialog() override;
  static void Published(TPropBuilder<TFontDialog>& p);

  bool Execute() override;
  TFont* GetFont() const { return font_.get(); }
  void SetFont(TFont* value);
  TFontDialogOptions GetOptions() const { return options_; }
  void SetOptions(TFontDialogOptions value) { options_ = value; }
  Integer GetMinFontSize() const { return minFontSize_; }
  void SetMinFontSize(Integer value) { minFontSize_ = value; }
  Integer GetMaxFontSize() const { return maxFontSize_; }
  void SetMaxFontSize(Integer value) { maxFontSize_ = value; }

 private:
  std::unique_ptr<TFont> font_;
  TFontDialogOptions options_{fdEffects};
  Integer minFontSize_ = 0;
  Integer maxFontSize_ = 0;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
  KIV_CLASS(TColorDialog, TCommonDialog)
 public:
  explicit TColorDialog(TComponent* owner);
  ~TColorDialog() override;
  static void Published(TPropBuilder<TColorDialog>& p);

  bool Execute() override;
  TColor GetColor() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  TColorDialogOptions GetOptions() const { return options_; }
  void SetOptions(TColorDialogOptions value) { options_ = value; }
  // "ColorA=RRGGBB" ... lines, as the class library keeps the custom colours.
  TStrings* GetCustomColors() const { return customColors_.get(); }

 private:
  TColor color_ = 0;
  TColorDialogOptions options_;
  std::unique_ptr<TStrings> customColors_;
};

// ---- For tests and tools: the real dialogs as the user sees them ----

// The text of the modal dialog or message box open now ("" when none).
String ActiveDialogText();
// The captions of its buttons, in order.
std::vector<String> ActiveDialogButtons();
// Clicks the button of the open dialog whose text (without '&') is caption; false when there is none.
bool ClickActiveDialogButton(const String& caption);
