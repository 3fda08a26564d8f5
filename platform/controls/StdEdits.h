// The one-line edit over a Qt line edit; the multi-line memo joins it here.
#pragma once

#include "platform/controls/Controls.h"

class TCustomEdit : public TWinControl {
  KIV_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* owner);
  static void Published(TPropBuilder<TCustomEdit>& p);

  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  Integer GetMaxLength() const { return maxLength_; }
  void SetMaxLength(Integer value);
  Char GetPasswordChar() const { return passwordChar_; }
  void SetPasswordChar(Char value);
  bool GetModified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  bool GetAutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  Integer GetSelStart() const;
  void SetSelStart(Integer value);
  Integer GetSelLength() const;
  void SetSelLength(Integer value);
  String GetSelText() const;
  void SetSelText(const String& value);
  void SelectAll();
  void Clear();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  String GetTextValue() const override;
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  virtual void Change();
  void DoEnter() override;

 private:
  friend class TEditBridge;
  bool readOnly_ = false;
  Integer maxLength_ = 0;
  Char passwordChar_ = 0;
  bool modified_ = false;
  bool autoSelect_ = true;
  bool settingText_ = false;
};

class TEdit : public TCustomEdit {
  KIV_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};
