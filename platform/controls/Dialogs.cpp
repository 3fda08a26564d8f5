// Message boxes, input boxes and the common dialogs over Qt's dialogs, each asking the dialog hook first.
#include "platform/controls/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <filesystem>
#include <mutex>

#include "platform/classes/StringList.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

std::mutex& HookMutex() {
  static std::mutex m;
  return m;
}

TDialogHook& Hook() {
  static TDialogHook hook;
  return hook;
}

struct ButtonSpec {
  Integer result;
  String caption;
  QMessageBox::ButtonRole role;
};

// ---- The Qt side ----

enum TMessageIcon { miNone, miInformation, miWarning, miError, miQuestion };

struct TMessageBoxButton {
  Integer result;
  String caption;
  QMessageBox::ButtonRole role;
};

struct TMessageBoxSpec {
  String text;
  String caption;
  TMessageIcon icon = miNone;
  std::vector<TMessageBoxButton> buttons;
  Integer defaultResult = 0;
  Integer escapeResult = 0;
  Integer closedResult = 0;  // the answer when the box closes without a button (Terminate)
  Integer x = -1, y = -1;
};

bool ApplicationTerminated() { return Application && Application->GetTerminated(); }

// A dialog asked for before the application was initialised makes the application first.
QWidget* DialogParent() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) Application->Initialize();
  return QApplication::activeWindow();
}

// Shows a dialog modally in the application's nested loop, which also ends when the application is
// told to terminate, so a box left open cannot keep the program alive. Answers whether it was accepted.
bool RunModal(QDialog& dialog) {
  if (ApplicationTerminated()) return false;
  dialog.setWindowModality(Qt::ApplicationModal);
  QObject::connect(&dialog, &QDialog::finished, [] { Application->WakeModalLoops(); });
  dialog.show();
  QPointer<QDialog> guard(&dialog);
  Application->RunModalLoop([guard] { return !guard || !guard->isVisible(); });
  if (dialog.isVisible()) dialog.hide();
  return dialog.result() == QDialog::Accepted && !ApplicationTerminated();
}

Integer RunMessageBox(const TMessageBoxSpec& spec) {
  if (ApplicationTerminated()) return spec.closedResult;
  static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                            QMessageBox::Warning, QMessageBox::Critical,
                                            QMessageBox::Question};
  QMessageBox box(icons[spec.icon], ToQString(spec.caption), ToQString(spec.text), QMessageBox::NoButton,
                  DialogParent());
  std::vector<std::pair<QAbstractButton*, Integer>> results;
  for (const TMessageBoxButton& b : spec.buttons) {
    QPushButton* button = box.addButton(ToQString(b.caption), b.role);
    results.emplace_back(button, b.result);
    if (b.result == spec.defaultResult) box.setDefaultButton(button);
    if (b.result == spec.escapeResult) box.setEscapeButton(button);
  }
  if (spec.x >= 0 && spec.y >= 0) box.move(spec.x, spec.y);
  RunModal(box);
  QAbstractButton* clicked = box.clickedButton();
  if (ApplicationTerminated()) return spec.closedResult;
  for (const auto& [button, result] : results)
    if (button == clicked) return result;
  return spec.closedResult;
}

std::optional<String> RunInputDialog(const String& caption, const String& prompt, const String& value) {
  QInputDialog dialog(DialogParent());
  dialog.setWindowTitle(ToQString(caption));
  dialog.setLabelText(ToQString(prompt));
  dialog.setTextValue(ToQString(value));
  dialog.setOkButtonText(QStringLiteral("ОК"));
  dialog.setCancelButtonText(QStringLiteral("Отмена"));
  if (!RunModal(dialog)) return std::nullopt;
  return FromQString(dialog.textValue());
}

struct TFileDialogSpec {
  bool save = false;
  String caption;
  String fileName;
  String filter;
  Integer filterIndex = 1;
  String initialDir;
  String defaultExt;
  TOpenOptions options;
};

struct TFileDialogResult {
  bool accepted = false;
  std::vector<String> files;
  Integer filterIndex = 0;
};

// "Text files|*.txt;*.text|All|*.*" into Qt's "Text files (*.txt *.text)" entries.
QStringList QtNameFilters(const String& filter) {
  QStringList parts = ToQString(filter).split(QChar(u'|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1].split(QChar(u';'), Qt::SkipEmptyParts).join(QChar(u' '));
    QString description = parts[i].trimmed();
    QString tail = QStringLiteral("(") + patterns + QStringLiteral(")");
    out << (description.endsWith(tail) ? description : description + QChar(u' ') + tail);
  }
  return out;
}

TFileDialogResult RunFileDialog(const TFileDialogSpec& spec) {
  QFileDialog dialog(DialogParent(), ToQString(spec.caption));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (spec.save)
    dialog.setFileMode(QFileDialog::AnyFile);
  else if (spec.options.Contains(ofAllowMultiSelect))
    dialog.setFileMode(QFileDialog::ExistingFiles);
  else if (spec.options.Contains(ofFileMustExist))
    dialog.setFileMode(QFileDialog::ExistingFile);
  else
    dialog.setFileMode(QFileDialog::AnyFile);
  if (!spec.options.Contains(ofOverwritePrompt)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  QStringList filters = QtNameFilters(spec.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    Integer index = spec.filterIndex >= 1 && spec.filterIndex <= filters.size() ? spec.filterIndex : 1;
    dialog.selectNameFilter(filters[index - 1]);
  }
  if (!spec.defaultExt.empty()) dialog.setDefaultSuffix(ToQString(spec.defaultExt));
  if (!spec.initialDir.empty()) dialog.setDirectory(ToQString(spec.initialDir));
  if (!spec.fileName.empty()) dialog.selectFile(ToQString(spec.fileName));
  TFileDialogResult result;
  if (!RunModal(dialog)) return result;
  for (const QString& f : dialog.selectedFiles()) result.files.push_back(FromQString(f));
  result.filterIndex = static_cast<Integer>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  result.accepted = !result.files.empty();
  return result;
}

bool RunFontDialog(TFont* font, TFontDialogOptions options, const String& caption) {
  QWidget* parent = DialogParent();
  QFont initial(ToQString(font->GetName()));
  if (font->GetSize() > 0) initial.setPointSize(font->GetSize());
  TFontStyles style = font->GetStyle();
  initial.setBold(style.Contains(fsBold));
  initial.setItalic(style.Contains(fsItalic));
  initial.setUnderline(style.Contains(fsUnderline));
  initial.setStrikeOut(style.Contains(fsStrikeOut));
  QFontDialog dialog(initial, parent);
  dialog.setWindowTitle(ToQString(caption));
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  if (options.Contains(fdFixedPitchOnly)) dialog.setOption(QFontDialog::MonospacedFonts);
  if (options.Contains(fdScalableOnly)) dialog.setOption(QFontDialog::ScalableFonts);
  if (!RunModal(dialog)) return false;
  QFont chosen = dialog.selectedFont();
  font->SetName(FromQString(chosen.family()));
  if (chosen.pointSize() > 0) font->SetSize(chosen.pointSize());
  TFontStyles styles;
  if (chosen.bold()) styles.Include(fsBold);
  if (chosen.italic()) styles.Include(fsItalic);
  if (chosen.underline()) styles.Include(fsUnderline);
  if (chosen.strikeOut()) styles.Include(fsStrikeOut);
  font->SetStyle(styles);
  return true;
}

std::optional<TColor> RunColorDialog(TColor color, const String& caption) {
  TColorRef rgb = ColorToRGB(color);
  QColorDialog dialog(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)), DialogParent());
  dialog.setWindowTitle(ToQString(caption));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (!RunModal(dialog)) return std::nullopt;
  QColor chosen = dialog.selectedColor();
  return static_cast<TColor>(RGB(static_cast<Byte>(chosen.red()), static_cast<Byte>(chosen.green()),
                                 static_cast<Byte>(chosen.blue())));
}

// ---- Message-box buttons ----

const ButtonSpec& IdButton(Integer id) {
  static const ButtonSpec specs[] = {
      {0, u"", QMessageBox::InvalidRole},
      {IDOK, u"ОК", QMessageBox::AcceptRole},
      {IDCANCEL, u"Отмена", QMessageBox::RejectRole},
      {IDABORT, u"Прервать", QMessageBox::RejectRole},
      {IDRETRY, u"Повтор", QMessageBox::AcceptRole},
      {IDIGNORE, u"Пропустить", QMessageBox::AcceptRole},
      {IDYES, u"Да", QMessageBox::YesRole},
      {IDNO, u"Нет", QMessageBox::NoRole},
      {IDCLOSE, u"Закрыть", QMessageBox::RejectRole},
      {IDHELP, u"Справка", QMessageBox::HelpRole},
  };
  return specs[id >= 0 && id <= IDHELP ? id : 0];
}

std::vector<Integer> MessageBoxButtons(Integer flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    default:
      return {IDOK};
  }
}

TMessageIcon MessageBoxIcon(Integer flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
      return miError;
    case MB_ICONQUESTION:
      return miQuestion;
    case MB_ICONEXCLAMATION:
      return miWarning;
    case MB_ICONASTERISK:
      return miInformation;
    default:
      return miNone;
  }
}

// The answer a box gives when it is closed without a button: the one that does the least.
Integer CautiousResult(const std::vector<Integer>& buttons, std::initializer_list<Integer> preference) {
  for (Integer wanted : preference)
    for (Integer b : buttons)
      if (b == wanted) return b;
  return buttons.empty() ? 0 : buttons.front();
}

// ---- MessageDlg buttons ----

const TMsgDlgBtn kAllDlgButtons[] = {mbYes,    mbNo,  mbOK,      mbCancel,   mbAbort, mbRetry,
                                     mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp,  mbClose};

QMessageBox::ButtonRole DlgButtonRole(TMsgDlgBtn b) {
  switch (b) {
    case mbYes:
    case mbYesToAll:
    case mbAll:
      return QMessageBox::YesRole;
    case mbNo:
    case mbNoToAll:
      return QMessageBox::NoRole;
    case mbCancel:
    case mbAbort:
    case mbClose:
      return QMessageBox::RejectRole;
    case mbHelp:
      return QMessageBox::HelpRole;
    default:
      return QMessageBox::AcceptRole;
  }
}

TMessageIcon DlgTypeIcon(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return miWarning;
    case mtError:
      return miError;
    case mtInformation:
      return miInformation;
    case mtConfirmation:
      return miQuestion;
    default:
      return miNone;
  }
}

// The class library's choice: OK, else Yes, else Retry is the Enter button.
TMsgDlgBtn DefaultDlgButton(TMsgDlgButtons buttons) {
  if (buttons.Contains(mbOK)) return mbOK;
  if (buttons.Contains(mbYes)) return mbYes;
  return mbRetry;
}

void CheckAnswer(const TDialogRequest& request, Integer result) {
  for (Integer b : request.Buttons)
    if (b == result) return;
  throw EInvalidOperation(u"The dialog hook answered " + IntToStr(result) +
                          u", which is not a button of the box \"" + request.Caption + u"\"");
}

String ApplicationTitle() { return Application ? Application->GetTitle() : String(); }

}  // namespace

// Application->MessageBox shows its box through the machinery above.
static const bool kMessageBoxInstalled = [] {
  SetMessageBoxHandler(&ShowMessageBox);
  return true;
}();

// ---- The hook ----

TDialogHook SetDialogHook(TDialogHook hook) {
  std::lock_guard lock(HookMutex());
  TDialogHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

bool DialogHookInstalled() {
  std::lock_guard lock(HookMutex());
  return static_cast<bool>(Hook());
}

std::optional<TDialogAnswer> AskDialogHook(const TDialogRequest& request) {
  TDialogHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  if (!hook) return std::nullopt;
  return hook(request);
}

TDialogRecorder::TDialogRecorder(TDialogAnswer fallback) : fallback_(std::move(fallback)) {
  previous_ = SetDialogHook([this](const TDialogRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) return fallback_;
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    return answer(request);
  });
}

TDialogRecorder::~TDialogRecorder() { SetDialogHook(std::move(previous_)); }

TDialogRecorder& TDialogRecorder::Answer(TDialogAnswer answer) {
  answers_.push_back([answer](const TDialogRequest&) { return answer; });
  return *this;
}

TDialogRecorder& TDialogRecorder::Answer(std::function<TDialogAnswer(const TDialogRequest&)> answer) {
  answers_.push_back(std::move(answer));
  return *this;
}

const TDialogRequest& TDialogRecorder::Last() const {
  if (requests_.empty()) throw EListError(u"No dialog was shown");
  return requests_.back();
}

// ---- Message boxes ----

Integer MsgDlgButtonResult(TMsgDlgBtn button) {
  switch (button) {
    case mbYes:
      return mrYes;
    case mbNo:
      return mrNo;
    case mbOK:
      return mrOk;
    case mbCancel:
      return mrCancel;
    case mbAbort:
      return mrAbort;
    case mbRetry:
      return mrRetry;
    case mbIgnore:
      return mrIgnore;
    case mbAll:
      return mrAll;
    case mbNoToAll:
      return mrNoToAll;
    case mbYesToAll:
      return mrYesToAll;
    case mbHelp:
      return mrHelp;
    case mbClose:
      return mrClose;
  }
  return mrNone;
}

String MsgDlgButtonCaption(TMsgDlgBtn button) {
  switch (button) {
    case mbYes:
      return u"Да";
    case mbNo:
      return u"Нет";
    case mbOK:
      return u"ОК";
    case mbCancel:
      return u"Отмена";
    case mbAbort:
      return u"Прервать";
    case mbRetry:
      return u"Повтор";
    case mbIgnore:
      return u"Пропустить";
    case mbAll:
      return u"Все";
    case mbNoToAll:
      return u"Нет для всех";
    case mbYesToAll:
      return u"Да для всех";
    case mbHelp:
      return u"Справка";
    case mbClose:
      return u"Закрыть";
  }
  return String();
}

String MsgDlgTypeCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning:
      return u"Предупреждение";
    case mtError:
      return u"Ошибка";
    case mtInformation:
      return u"Информация";
    case mtConfirmation:
      return u"Подтверждение";
    case mtCustom:
      break;
  }
  return ApplicationTitle();
}

Integer ShowMessageBox(const String& text, const String& caption, Integer flags) {
  TDialogRequest request;
  request.Kind = dkMessageBox;
  request.Text = text;
  request.Caption = caption.empty() ? String(u"Ошибка") : caption;
  request.Flags = flags;
  request.Buttons = MessageBoxButtons(flags);
  for (Integer b : request.Buttons) request.ButtonCaptions.push_back(IdButton(b).caption);
  size_t defaultIndex = static_cast<size_t>((flags & MB_DEFMASK) >> 8);
  request.DefaultButton = request.Buttons[defaultIndex < request.Buttons.size() ? defaultIndex : 0];

  if (auto answer = AskDialogHook(request)) {
    CheckAnswer(request, answer->Result);
    return answer->Result;
  }

  Integer cautious = CautiousResult(request.Buttons, {IDCANCEL, IDNO, IDABORT, IDOK});
  TMessageBoxSpec spec;
  spec.text = request.Text;
  spec.caption = request.Caption;
  spec.icon = MessageBoxIcon(flags);
  for (Integer b : request.Buttons) spec.buttons.push_back({b, IdButton(b).caption, IdButton(b).role});
  spec.defaultResult = request.DefaultButton;
  // Esc answers Cancel where the box has it; a Yes/No box cannot be escaped, as on the system.
  spec.escapeResult = CautiousResult(request.Buttons, {IDCANCEL}) == IDCANCEL ? IDCANCEL
                      : (flags & MB_TYPEMASK) == MB_OK                        ? IDOK
                                                                              : 0;
  spec.closedResult = cautious;
  return RunMessageBox(spec);
}

namespace {

TDialogRequest MessageDlgRequest(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, Integer helpCtx,
                                 TMsgDlgBtn defaultButton) {
  TDialogRequest request;
  request.Kind = dkMessageDlg;
  request.Text = msg;
  request.Caption = MsgDlgTypeCaption(type);
  request.DlgType = type;
  request.Flags = static_cast<Int64>(buttons.Bits());
  request.HelpContext = helpCtx;
  for (TMsgDlgBtn b : kAllDlgButtons) {
    if (!buttons.Contains(b)) continue;
    request.Buttons.push_back(MsgDlgButtonResult(b));
    request.ButtonCaptions.push_back(MsgDlgButtonCaption(b));
  }
  request.DefaultButton = buttons.Contains(defaultButton) ? MsgDlgButtonResult(defaultButton) : 0;
  return request;
}

Integer RunMessageDlg(TDialogRequest request, TMsgDlgButtons buttons) {
  if (auto answer = AskDialogHook(request)) {
    CheckAnswer(request, answer->Result);
    return answer->Result;
  }
  TMessageBoxSpec spec;
  spec.text = request.Text;
  spec.caption = request.Caption;
  spec.icon = DlgTypeIcon(request.DlgType);
  for (TMsgDlgBtn b : kAllDlgButtons)
    if (buttons.Contains(b))
      spec.buttons.push_back({MsgDlgButtonResult(b), MsgDlgButtonCaption(b), DlgButtonRole(b)});
  spec.defaultResult = request.DefaultButton;
  // Esc: Cancel, else No, else OK, as the class library's message form has it.
  spec.escapeResult = buttons.Contains(mbCancel) ? mrCancel
                      : buttons.Contains(mbNo)   ? mrNo
                      : buttons.Contains(mbOK)   ? mrOk
                                                 : 0;
  spec.closedResult = CautiousResult(request.Buttons, {mrCancel, mrNo, mrNoToAll, mrAbort, mrClose, mrOk});
  spec.x = request.X;
  spec.y = request.Y;
  return RunMessageBox(spec);
}

}  // namespace

// ---- The message form ----

namespace {

// The form CreateMessageDialog makes: shown modally it asks the hook first, like MessageDlg.
class TMessageForm : public TForm {
  KIV_CLASS(TMessageForm, TForm)
 public:
  TMessageForm(TComponent* owner, TDialogRequest request) : TForm(owner, 0), request_(std::move(request)) {}

  TModalResult ShowModal() override {
    if (auto answer = AskDialogHook(request_)) {
      CheckAnswer(request_, answer->Result);
      SetModalResult(answer->Result);
      return answer->Result;
    }
    return TForm::ShowModal();
  }

 private:
  TDialogRequest request_;
};

constexpr Integer kButtonWidth = 75;
constexpr Integer kButtonHeight = 25;
constexpr Integer kButtonSpacing = 8;
constexpr Integer kMargin = 16;

}  // namespace

TForm* CreateMessageDialog(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons) {
  return CreateMessageDialog(msg, dlgType, buttons, DefaultDlgButton(buttons));
}

TForm* CreateMessageDialog(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
                           TMsgDlgBtn defaultButton) {
  TDialogRequest request = MessageDlgRequest(msg, dlgType, buttons, 0, defaultButton);
  auto form = std::make_unique<TMessageForm>(Application, request);
  form->SetCaption(request.Caption);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);

  auto* text = new TLabel(form.get());
  text->SetName(u"Message");
  text->SetParent(form.get());
  text->SetShowAccelChar(false);
  text->SetAutoSize(true);
  text->SetCaption(msg);
  text->SetLeft(kMargin);
  text->SetTop(kMargin);

  Integer count = static_cast<Integer>(request.Buttons.size());
  Integer buttonsWidth = count * kButtonWidth + std::max(count - 1, 0) * kButtonSpacing;
  Integer clientWidth = std::max(text->GetWidth(), buttonsWidth) + 2 * kMargin;
  Integer buttonTop = text->GetTop() + text->GetHeight() + kMargin;
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(buttonTop + kButtonHeight + kMargin);

  Integer left = (clientWidth - buttonsWidth) / 2;
  Integer cancelResult = buttons.Contains(mbCancel) ? mrCancel : buttons.Contains(mbNo) ? mrNo : mrOk;
  for (size_t i = 0; i < request.Buttons.size(); ++i) {
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetCaption(request.ButtonCaptions[i]);
    button->SetModalResult(request.Buttons[i]);
    button->SetBounds(left, buttonTop, kButtonWidth, kButtonHeight);
    button->SetDefault(request.Buttons[i] == request.DefaultButton);
    button->SetCancel(request.Buttons[i] == cancelResult);
    left += kButtonWidth + kButtonSpacing;
  }
  return form.release();
}

void ShowMessage(const String& msg) { MessageDlg(msg, mtCustom, TMsgDlgButtons{mbOK}, 0); }

void ShowMessageFmt(const String& format, std::initializer_list<TVarRec> args) {
  ShowMessage(Format(format, args));
}

Integer MessageDlg(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx) {
  return MessageDlg(msg, dlgType, buttons, helpCtx, DefaultDlgButton(buttons));
}

Integer MessageDlg(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx,
                   TMsgDlgBtn defaultButton) {
  return RunMessageDlg(MessageDlgRequest(msg, dlgType, buttons, helpCtx, defaultButton), buttons);
}

Integer MessageDlgPos(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx,
                      Integer x, Integer y) {
  TDialogRequest request = MessageDlgRequest(msg, dlgType, buttons, helpCtx, DefaultDlgButton(buttons));
  request.X = x;
  request.Y = y;
  return RunMessageDlg(request, buttons);
}

bool MessageBeep(Cardinal) {
  QApplication::beep();
  return true;
}

// ---- Input boxes ----

bool InputQuery(const String& caption, const String& prompt, String& value) {
  TDialogRequest request;
  request.Kind = dkInputQuery;
  request.Caption = caption;
  request.Text = prompt;
  request.Value = value;
  request.Buttons = {mrOk, mrCancel};
  request.ButtonCaptions = {MsgDlgButtonCaption(mbOK), MsgDlgButtonCaption(mbCancel)};
  request.DefaultButton = mrOk;
  if (auto answer = AskDialogHook(request)) {
    if (answer->Result == 0 || answer->Result == mrCancel) return false;
    value = answer->Value;
    return true;
  }
  std::optional<String> typed = RunInputDialog(caption, prompt, value);
  if (!typed) return false;
  value = *typed;
  return true;
}

String InputBox(const String& caption, const String& prompt, const String& defaultValue) {
  String value = defaultValue;
  return InputQuery(caption, prompt, value) ? value : defaultValue;
}

// ---- Common dialogs ----

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

void TCommonDialog::Published(TPropBuilder<TCommonDialog>& p) {
  p.Bool(u"Ctl3D", &TCommonDialog::GetCtl3D, &TCommonDialog::SetCtl3D).Default(1);
  p.Int(u"HelpContext", &TCommonDialog::GetHelpContext, &TCommonDialog::SetHelpContext).Default(0);
  p.Event(u"OnShow", &TCommonDialog::OnShow);
  p.Event(u"OnClose", &TCommonDialog::OnClose);
}

void TCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

const TTypeInfo* TypeInfoOpenOptions() {
  static const TTypeInfo element = TTypeInfo::Enum(
      u"TOpenOption",
      {u"ofReadOnly",         u"ofOverwritePrompt",    u"ofHideReadOnly",        u"ofNoChangeDir",
       u"ofShowHelp",         u"ofNoValidate",         u"ofAllowMultiSelect",    u"ofExtensionDifferent",
       u"ofPathMustExist",    u"ofFileMustExist",      u"ofCreatePrompt",        u"ofShareAware",
       u"ofNoReadOnlyReturn", u"ofNoTestFileCreate",   u"ofNoNetworkButton",     u"ofNoLongNames",
       u"ofOldStyleDialog",   u"ofNoDereferenceLinks", u"ofEnableIncludeNotify", u"ofEnableSizing",
       u"ofDontAddToRecent",  u"ofForceShowHidden"});
  static const TTypeInfo set = TTypeInfo::Set(u"TOpenOptions", &element);
  return &set;
}

namespace {

const TTypeInfo* TypeInfoFontDialogOptions() {
  static const TTypeInfo element = TTypeInfo::Enum(
      u"TFontDialogOption",
      {u"fdAnsiOnly", u"fdTrueTypeOnly", u"fdEffects", u"fdFixedPitchOnly", u"fdForceFontExist",
       u"fdNoFaceSel", u"fdNoOEMFonts", u"fdNoSimulations", u"fdNoSizeSel", u"fdNoStyleSel",
       u"fdNoVectorFonts", u"fdShowHelp", u"fdWysiwyg", u"fdLimitSize", u"fdScalableOnly", u"fdApplyButton"});
  static const TTypeInfo set = TTypeInfo::Set(u"TFontDialogOptions", &element);
  return &set;
}

const TTypeInfo* TypeInfoColorDialogOptions() {
  static const TTypeInfo element =
      TTypeInfo::Enum(u"TColorDialogOption",
                      {u"cdFullOpen", u"cdPreventFullOpen", u"cdShowHelp", u"cdSolidColor", u"cdAnyColor"});
  static const TTypeInfo set = TTypeInfo::Set(u"TColorDialogOptions", &element);
  return &set;
}

bool HasExtension(const String& fileName) {
  std::filesystem::path p(StringToUtf8(fileName));
  return p.has_extension() && p.extension() != ".";
}

bool FileExistsUtf(const String& fileName) {
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(StringToUtf8(fileName)), ec);
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner), files_(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Published(TPropBuilder<TOpenDialog>& p) {
  p.Str(u"DefaultExt", &TOpenDialog::GetDefaultExt, &TOpenDialog::SetDefaultExt);
  p.Str(u"FileName", &TOpenDialog::GetFileName, &TOpenDialog::SetFileName);
  p.Str(u"Filter", &TOpenDialog::GetFilter, &TOpenDialog::SetFilter);
  p.Int(u"FilterIndex", &TOpenDialog::GetFilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  p.Str(u"InitialDir", &TOpenDialog::GetInitialDir, &TOpenDialog::SetInitialDir);
  p.Set(u"Options", TypeInfoOpenOptions(), &TOpenDialog::GetOptions, &TOpenDialog::SetOptions)
      .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  p.Str(u"Title", &TOpenDialog::GetTitle, &TOpenDialog::SetTitle);
  p.Event(u"OnSelectionChange", &TOpenDialog::OnSelectionChange);
  p.Event(u"OnFolderChange", &TOpenDialog::OnFolderChange);
  p.Event(u"OnTypeChange", &TOpenDialog::OnTypeChange);
}

String TOpenDialog::DefaultTitle() const { return u"Открыть"; }

bool TOpenDialog::Execute() {
  TDialogRequest request;
  request.Kind = Kind();
  request.Caption = title_.empty() ? DefaultTitle() : title_;
  request.Flags = static_cast<Int64>(options_.Bits());
  request.Value = fileName_;
  request.Filter = filter_;
  request.FilterIndex = filterIndex_;
  request.InitialDir = initialDir_;
  request.DefaultExt = defaultExt_;
  DoShow();
  bool accepted;
  // DoClose runs the user's OnClose, which may raise.
  TryFinally(
      [&] {
        if (auto answer = AskDialogHook(request)) {
          accepted = ExecuteWithHook(*answer, request.Caption);
        } else {
          TFileDialogSpec spec;
          spec.save = Kind() == dkSaveFile;
          spec.caption = request.Caption;
          spec.fileName = fileName_;
          spec.filter = filter_;
          spec.filterIndex = filterIndex_;
          spec.initialDir = initialDir_;
          spec.defaultExt = defaultExt_;
          spec.options = options_;
          TFileDialogResult result = RunFileDialog(spec);
          accepted = result.accepted && Accept(result.files, result.filterIndex);
        }
      },
      [&] { DoClose(); });
  return accepted;
}

bool TOpenDialog::ExecuteWithHook(const TDialogAnswer& answer, const String& caption) {
  if (answer.Result == 0) return false;
  std::vector<String> chosen = answer.Files.empty() ? std::vector<String>{answer.Value} : answer.Files;
  if (!options_.Contains(ofAllowMultiSelect) && chosen.size() > 1) chosen.resize(1);
  for (String& name : chosen) {
    if (name.empty()) return false;
    // The system dialog adds the default extension to a name typed without one.
    if (!defaultExt_.empty() && !HasExtension(name)) name += u"." + defaultExt_;
    if (options_.Contains(ofFileMustExist) && !FileExistsUtf(name)) {
      ShowMessageBox(name + u"\nФайл не найден.\nПроверьте правильность имени файла.", caption,
                     MB_OK | MB_ICONWARNING);
      return false;
    }
  }
  if (Kind() == dkSaveFile && options_.Contains(ofOverwritePrompt) && FileExistsUtf(chosen.front())) {
    String question = chosen.front() + u" уже существует.\nЗаменить?";
    if (ShowMessageBox(question, caption, MB_YESNO | MB_ICONWARNING) != IDYES) return false;
  }
  return Accept(chosen, answer.FilterIndex);
}

bool TOpenDialog::Accept(const std::vector<String>& chosen, Integer filterIndex) {
  if (chosen.empty()) return false;
  fileName_ = chosen.front();
  files_->Clear();
  for (const String& name : chosen) files_->Add(name);
  if (filterIndex > 0) filterIndex_ = filterIndex;
  return true;
}

TSaveDialog::TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

String TSaveDialog::DefaultTitle() const { return u"Сохранить как"; }

TOpenPictureDialog::TOpenPictureDialog(TComponent* owner) : TOpenDialog(owner) {
  SetFilter(GraphicFilter(TGraphic::StaticClass()));
}

TSavePictureDialog::TSavePictureDialog(TComponent* owner) : TSaveDialog(owner) {
  SetFilter(GraphicFilter(TGraphic::StaticClass()));
}

// ---- Font and colour ----

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner), font_(std::make_unique<TFont>()) {}
TFontDialog::~TFontDialog() = default;

void TFontDialog::Published(TPropBuilder<TFontDialog>& p) {
  p.Object(u"Font", &TFontDialog::GetFont, &TFontDialog::SetFont);
  p.Int(u"MaxFontSize", &TFontDialog::GetMaxFontSize, &TFontDialog::SetMaxFontSize).Default(0);
  p.Int(u"MinFontSize", &TFontDialog::GetMinFontSize, &TFontDialog::SetMinFontSize).Default(0);
  p.Set(u"Options", TypeInfoFontDialogOptions(), &TFontDialog::GetOptions, &TFontDialog::SetOptions)
      .Default(TFontDialogOptions{fdEffects});
}

void TFontDialog::SetFont(TFont* value) { font_->Assign(value); }

bool TFontDialog::Execute() {
  TDialogRequest request;
  request.Kind = dkFont;
  request.Caption = u"Шрифт";
  request.Flags = static_cast<Int64>(options_.Bits());
  request.FontName = font_->GetName();
  request.FontSize = font_->GetSize();
  request.FontStyle = static_cast<Int64>(font_->GetStyle().Bits());
  request.FontColor = font_->GetColor();
  DoShow();
  bool accepted = false;
  TryFinally(
      [&] {
        if (auto answer = AskDialogHook(request)) {
          accepted = answer->Result != 0;
          if (accepted) {
            if (answer->FontName) font_->SetName(*answer->FontName);
            if (answer->FontSize) font_->SetSize(*answer->FontSize);
            if (answer->FontStyle)
              font_->SetStyle(TFontStyles::FromBits(static_cast<UInt64>(*answer->FontStyle)));
            if (answer->FontColor) font_->SetColor(*answer->FontColor);
          }
        } else {
          accepted = RunFontDialog(font_.get(), options_, request.Caption);
        }
      },
      [&] { DoClose(); });
  return accepted;
}

TColorDialog::TColorDialog(TComponent* owner)
    : TCommonDialog(owner), customColors_(std::make_unique<TStringList>()) {}
TColorDialog::~TColorDialog() = default;

void TColorDialog::Published(TPropBuilder<TColorDialog>& p) {
  p.IntIdent(u"Color", TypeInfoColor(), &TColorDialog::GetColor, &TColorDialog::SetColor).Default(0);
  p.Set(u"Options", TypeInfoColorDialogOptions(), &TColorDialog::GetOptions, &TColorDialog::SetOptions)
      .Default(TColorDialogOptions{});
}

bool TColorDialog::Execute() {
  TDialogRequest request;
  request.Kind = dkColor;
  request.Caption = u"Цвет";
  request.Flags = static_cast<Int64>(options_.Bits());
  request.Color = color_;
  DoShow();
  bool accepted = false;
  TryFinally(
      [&] {
        if (auto answer = AskDialogHook(request)) {
          accepted = answer->Result != 0;
          if (accepted && answer->Color) color_ = *answer->Color;
        } else {
          std::optional<TColor> chosen = RunColorDialog(color_, request.Caption);
          accepted = chosen.has_value();
          if (accepted) color_ = *chosen;
        }
      },
      [&] { DoClose(); });
  return accepted;
}

// ---- Driving the real dialogs ----

namespace {

QDialog* ActiveDialog() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
  return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

QString PlainCaption(const QString& text) {
  QString out = text;
  out.remove(QChar(u'&'));
  return out;
}

}  // namespace

String ActiveDialogText() {
  QDialog* dialog = ActiveDialog();
  if (!dialog) return String();
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) return FromQString(box->text());
  if (auto* input = qobject_cast<QInputDialog*>(dialog)) return FromQString(input->labelText());
  return FromQString(dialog->windowTitle());
}

std::vector<String> ActiveDialogButtons() {
  std::vector<String> out;
  QDialog* dialog = ActiveDialog();
  if (!dialog) return out;
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
    for (QAbstractButton* b : box->buttons()) out.push_back(FromQString(PlainCaption(b->text())));
    return out;
  }
  for (QPushButton* b : dialog->findChildren<QPushButton*>())
    if (b->isVisible()) out.push_back(FromQString(PlainCaption(b->text())));
  return out;
}

bool ClickActiveDialogButton(const String& caption) {
  QDialog* dialog = ActiveDialog();
  if (!dialog) return false;
  QString wanted = ToQString(caption);
  for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
    if (b->isVisible() && PlainCaption(b->text()) == wanted) {
      b->click();
      return true;
    }
  }
  return false;
}
