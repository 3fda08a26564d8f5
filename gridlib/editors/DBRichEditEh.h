// The data-aware rich-edit control: a blob field's RTF (or plain text) edited as formatted text, any
// other field as plain text; unbound it keeps its own content, streamed with the form as "RtfText".
// Edit buttons on the right open the rich-text drop-down editor, a button's own form or menu, or the
// modal rich-text editor.
#pragma once

#include <functional>
#include <memory>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/RichEdit.h"

class TCustomDBRichEditEh : public TCustomRichEdit, public IControlLabelOwnerEh {
  KIV_CLASS(TCustomDBRichEditEh, TCustomRichEdit)
 public:
  explicit TCustomDBRichEditEh(TComponent* owner);
  ~TCustomDBRichEditEh() override;
  // The content is stored once, as "RtfText" (DefineProperties), never as Lines.
  static void Published(TPropBuilder<TCustomDBRichEditEh>& p);

  bool GetAutoDisplay() const { return autoDisplay_; }
  void SetAutoDisplay(bool value);
  TControlLabelEh* GetControlLabel() const { return controlLabel_; }
  TControlLabelLocationEh* GetControlLabelLocation() const { return labelLocation_.get(); }
  String GetDataField() const { return dataLink_->GetFieldName(); }
  void SetDataField(const String& value) { dataLink_->SetFieldName(value); }
  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  TFieldDataLinkEh* GetDataLink() const { return dataLink_.get(); }
  TDynVarsEh* GetDynProps() const { return dynProps_.get(); }
  void SetDynProps(TDynVarsEh* value) { dynProps_->Assign(value); }
  TEditButtonsEh* GetEditButtons() const { return editButtons_.get(); }
  void SetEditButtons(TEditButtonsEh* value) { editButtons_->Assign(value); }
  TEditButtonsBoxEh* GetButtonsBox() const { return buttonsBox_; }
  TField* GetField() const { return dataLink_->GetField(); }
  bool GetReadOnly() const { return dataLink_->GetReadOnly(); }
  void SetReadOnly(bool value);
  bool GetMemoLoaded() const { return memoLoaded_; }
  // RTF, or plain text while PlainText is set.
  String GetRtfText() const;
  // Bound: the dataset goes into edit state and the content is written into the field at once.
  void SetRtfText(const String& value);

  virtual bool DataIndepended() const { return dataLink_->GetDataIndepended(); }
  virtual void LoadMemo();
  virtual void CloseUp(bool accept);
  virtual void SetChangeNotification(bool enable);

  // RTF (a value that starts "{\rtf" or "{\urtf") through Lines, anything else as plain text.
  void InternalSetRtfText(const String& value);
  // True when the field may be written: the dataset is (or could be put) in edit state.
  bool StartFieldEditing();

  // Label owner.
  String GetControlLabelCaption() override;
  Integer GetControlTextBaseLine() override;
  void UpdateControlLabelBounds() override;
  void ControlLabelLocationChanged() override;

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void SetParent(TWinControl* parent) override;
  void DefineProperties(TFiler* filer) override;
  void WndProc(TMessage& message) override;

  TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;
  TEditControlShowDropDownFormEventEh OnOpenDropDownForm;

 protected:
  virtual TEditButtonsEh* CreateEditButtons();
  virtual TRect GetEditButtonsRect();
  virtual TRect CalcEditRect(const TRect& rect);
  virtual void ShowButtonDropDownForm(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled);
  virtual void CreateEditButtonControl(TObject* sender, TEditButtonControlEh*& control);
  virtual void EditButtonClick(TObject* sender);
  virtual void EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  virtual void EditButtonMouseMove(TObject* sender, TShiftState shift, Integer x, Integer y);
  virtual void EditButtonMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x,
                                 Integer y);
  virtual void GetActualDropDownForm(TCustomForm*& form, bool& freeFormOnClose);

  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void DoEnter() override;
  void DoExit() override;
  void Resize() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend void DefaultDBRichEditEhEditButtonDefaultAction(TCustomDBRichEditEh*, TEditButtonEh*,
                                                         TEditButtonControlEh*, bool&, bool);
  void DataLinkDataChange(TObject* sender);
  void DataLinkUpdateData(TObject* sender);
  void DataLinkEditingChange(TObject* sender);
  void UpdateEditReadOnly();
  void SetFocused(bool value);
  void SetEditRect();
  void EditButtonsChanged(TObject* sender);
  void UpdateButtonsBox();
  void UpdateEditButtonsState();
  void DoCloseDropDownForm(TControl* editControl, TEditButtonEh* button, bool accept, TCustomForm* form,
                           TDynVarsEh* dynParams);
  void FillDropDownParams(TEditButtonEh* button, TEditButtonControlEh* control, bool withActualForm);
  TEditButtonEh* ButtonOfControl(TObject* control) const;
  void ReadRtfText(TReader* reader);
  void WriteRtfText(TWriter* writer);

  std::unique_ptr<TFieldDataLinkEh> dataLink_;
  bool autoDisplay_ = true;
  bool focused_ = false;
  bool memoLoaded_ = false;
  String dataSave_;
  Integer creatingWnd_ = 0;
  std::unique_ptr<TDynVarsEh> dynProps_;
  TControlLabelEh* controlLabel_ = nullptr;
  std::unique_ptr<TControlLabelLocationEh> labelLocation_;
  TEditButtonsBoxEh* buttonsBox_ = nullptr;
  std::unique_ptr<TEditButtonsEh> editButtons_;
  String internalRtfText_;
  bool noClickCloseUp_ = false;
  bool destroying_ = false;
};

class TDBRichEditEh : public TCustomDBRichEditEh {
  KIV_CLASS(TDBRichEditEh, TCustomDBRichEditEh)
 public:
  explicit TDBRichEditEh(TComponent* owner) : TCustomDBRichEditEh(owner) {}
};

// Replaceable at start-up: the edit buttons' default action and the drop-down rich-text form class.
using TDBRichEditEhEditButtonDefaultActionProc =
    std::function<void(TCustomDBRichEditEh* edit, TEditButtonEh* button, TEditButtonControlEh* control,
                       bool& handled, bool isDown)>;
extern TDBRichEditEhEditButtonDefaultActionProc DBRichEditEhEditButtonDefaultActionProc;
void DefaultDBRichEditEhEditButtonDefaultAction(TCustomDBRichEditEh* edit, TEditButtonEh* button,
                                                TEditButtonControlEh* control, bool& handled, bool isDown);
// The class whose application-wide form drops down; the rich-text editor form until replaced.
extern TClass DBRichEditEhDropDownFormClass;

// Whether text is RTF the control loads through Lines: it starts "{\rtf" or "{\urtf".
bool IsRtfTextEh(const String& text);
