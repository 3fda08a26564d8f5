// Form 48, the stock reservation of a request line, and the excess road a shift record takes when more
// pieces were made than the line needed: a new line of the same product takes the surplus over,
// with its blanks and paint reserved and taken at once.
#pragma once

#include <functional>

#include "platform/controls/Forms.h"
#include "platform/rtl/Variant.h"

class TForm48 : public TForm {
  KIV_CLASS(TForm48, TForm)
 public:
  explicit TForm48(TComponent* owner);
  static void Published(TPropBuilder<TForm48>& p);

  void FormCreate(TObject* Sender);
};

extern TForm48* Form48;

// The surplus of one request line and what issuing it takes.
struct TExcessIssue {
  int SpecId = 0;  // the line the surplus was made on
  double Surplus = 0;
  int Product = 0, Doc = 0, Paint = 0, Blank = 0;
  double BlankPerPiece = 0, PaintPerPiece = 0;  // per product
  double FreeBlanks = 0, FreePaint = 0;         // over all warehouses
  Variant Price, CostPrice;                     // of the line
  // The warehouses chosen for the blanks and (a painted line only) the paint.
  int BlankStock = 0, PaintStock = 0;

  double Blanks() const { return BlankPerPiece * Surplus; }
  double PaintNeed() const { return PaintPerPiece * Surplus; }
};

// Reads the line's figures and checks the surplus against free stock; a refusal shows its error box
// and answers false. Writes nothing.
bool PrepareExcessIssue(int specId, double surplus, TExcessIssue& issue);
// The warehouses of the issue, chosen by the user on the issue form's excess road; false when the
// form was closed without an issue. Set by the issue form.
extern std::function<bool(TExcessIssue& issue)> ChooseExcessWarehouses;
// Writes the issue inside the caller's transaction: the new line (reserved, in production), the issue
// lines of its blanks and paint taken at once, the raised reserves and the line's material price.
// Answers the new line's id.
int WriteExcessIssue(const TExcessIssue& issue);
