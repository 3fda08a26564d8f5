// Page info lists: the items printed on each page of a run, for the preview's hit tests.
#include "reportlib/engine/QRPageInfo.h"

TPageItemRec* TQRLinkPage::getItemRec(Integer n) const {
  return n >= 0 && n < Count() ? items_[static_cast<size_t>(n)].get() : nullptr;
}

TPageItemRec* TQRLinkPage::HitTest(double px, double py) const {
  for (const auto& item : items_)
    if (item->left < px && px < item->left + item->width && item->top < py && py < item->top + item->height)
      return item.get();
  return nullptr;
}

TPageItemRec* TQRLinkPage::FindItemByControlandRecord(const String& contname, Integer recnum) const {
  for (const auto& item : items_)
    if (item->controlname == contname && item->recordnumber == recnum) return item.get();
  return nullptr;
}

TQRLinkPage* TQRPageInfoList::getPageRec(Integer n) const {
  return n >= 0 && n < Count() ? pages_[static_cast<size_t>(n)].get() : nullptr;
}

std::unique_ptr<TQRLinkPage> TQRPageInfoList::Initialise() {
  std::unique_ptr<TQRLinkPage> last;
  if (!pages_.empty()) last = std::move(pages_.back());
  pages_.clear();
  return last;
}
