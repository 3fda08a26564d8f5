// Field-text, expression and system-data controls: the value of a dataset field, of a report
// expression (with its aggregates accumulated record by record) or of the run (page number, date,
// time, detail number), formatted and printed as a label.
#pragma once

#include "reportlib/engine/QREvaluator.h"
#include "reportlib/engine/QRExtraFunctions.h"
#include "reportlib/engine/controls/QRLabels.h"

class TDataSet;
class TField;

class TQRDBText : public TQRCustomLabel {
  KIV_CLASS(TQRDBText, TQRCustomLabel)
 public:
  static void Published(TPropBuilder<TQRDBText>& p);
  explicit TQRDBText(TComponent* owner);

  TDataSet* GetDataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* value);
  const String& GetDataField() const { return dataField_; }
  void SetDataField(const String& value);
  const String& GetMask() const { return mask_; }
  void SetMask(const String& value) { mask_ = value; }
  bool GetCaptionBased() const override { return !isMemo_; }
  bool Stretches() const override { return true; }

  // The field's text on the current record, formatted by the mask; empty without a field or when
  // reading or formatting fails.
  String FieldText();
  void GetFieldString(String& DataStr) override;
  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void Unprepare() override;
  void GetExpandedHeight(Extended& newheight) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TField* CurrentField();

  TField* field_ = nullptr;
  Integer fieldNo_ = -1;
  bool fieldOK_ = false;
  TDataSet* dataSet_ = nullptr;
  String dataField_;
  String mask_;
  bool isMemo_ = false;
};

class TQRExpr : public TQRCustomLabel, public IQRExprCaption {
  KIV_CLASS(TQRExpr, TQRCustomLabel)
 public:
  static void Published(TPropBuilder<TQRExpr>& p);
  explicit TQRExpr(TComponent* owner);

  const String& GetExpression() const { return expression_; }
  void SetExpression(const String& value);
  const String& GetMask() const { return mask_; }
  void SetMask(const String& value);
  TComponent* GetMaster() const { return master_; }
  void SetMaster(TComponent* value);
  bool GetResetAfterPrint() const { return resetAfterPrint_; }
  void SetResetAfterPrint(bool value) { resetAfterPrint_ = value; }
  // The evaluator's current value; an error while it is not prepared.
  TQREvResult GetValue();
  void Reset() { evaluator_.Reset(); }
  String GetCurrentCaption() override { return printCaption_; }

  void Prepare() override;
  void Print(Integer OfsX, Integer OfsY) override;
  void Unprepare() override;
  void ControllerNotify(TObject* Sender, Integer Operation) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  String FormatResult(const TQREvResult& value) const;

  TQREvaluator evaluator_;
  String expression_;
  String mask_;
  TComponent* master_ = nullptr;
  bool resetAfterPrint_ = false;
};

enum TQRSysDataType {
  qrsTime,
  qrsDate,
  qrsDateTime,
  qrsPageNumber,
  qrsReportTitle,
  qrsDetailCount,
  qrsDetailNo,
  qrsPageOfPages
};

// A text of the run after a fixed Text: the page number, "page X of Y", date, time, the detail
// number. For "page X of Y" the report first runs once only to count its pages.
class TQRSysData : public TQRCustomLabel {
  KIV_CLASS(TQRSysData, TQRCustomLabel)
 public:
  static void Published(TPropBuilder<TQRSysData>& p);
  explicit TQRSysData(TComponent* owner);

  TQRSysDataType GetData() const { return data_; }
  void SetData(TQRSysDataType value);
  const String& GetText() const { return text_; }
  void SetText(const String& value);
  // The text for the data at this point of the run.
  String DataText() const;

  void Print(Integer OfsX, Integer OfsY) override;
  void Unprepare() override;
  bool NeedsPageCount() const override;

 private:
  void ShowDesignText();

  TQRSysDataType data_ = qrsTime;
  String text_;
};

// Registers the text controls for component streaming; idempotent.
void InitializeReportControls();
