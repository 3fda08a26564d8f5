// Page info lists: while a report records preview links, each page keeps the items printed on it
// (control, record, rectangle, text) for the preview's hit tests.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Object.h"

class TPageItemRec : public TObject {
  KIV_CLASS(TPageItemRec, TObject)
 public:
  String controlname;
  String controlclass;
  Integer recordnumber = 0;
  double left = 0, top = 0, width = 0, height = 0;
  String textcontent;
};

class TQRLinkPage : public TObject {
  KIV_CLASS(TQRLinkPage, TObject)
 public:
  void addItemRec(std::unique_ptr<TPageItemRec> nirec) { items_.push_back(std::move(nirec)); }
  TPageItemRec* getItemRec(Integer n) const;
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  // The first item strictly containing the point, or null.
  TPageItemRec* HitTest(double px, double py) const;
  TPageItemRec* FindItemByControlandRecord(const String& contname, Integer recnum) const;

 private:
  std::vector<std::unique_ptr<TPageItemRec>> items_;
};

class TQRPageInfoList : public TObject {
  KIV_CLASS(TQRPageInfoList, TObject)
 public:
  void addPageRec(std::unique_ptr<TQRLinkPage> nirec) { pages_.push_back(std::move(nirec)); }
  // Null when n is not below the count.
  TQRLinkPage* getPageRec(Integer n) const;
  Integer Count() const { return static_cast<Integer>(pages_.size()); }
  // Empties the list; the last page list is handed back, as it is still the report's current one.
  std::unique_ptr<TQRLinkPage> Initialise();

 private:
  std::vector<std::unique_ptr<TQRLinkPage>> pages_;
};
