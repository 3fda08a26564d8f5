// Theme services: elements the libraries draw by name (grid cells, header items and sort arrows,
// buttons and check boxes, tool-bar buttons, combo and spin buttons, tree glyphs, grips, small
// caption buttons, tooltip close, calendar cells, list items, menu items), painted by the classic
// 3-D painter or by the platform style, with the raw theme calls on top.
#pragma once

#include "platform/graphics/Gdi.h"

enum TThemedElement {
  teButton,
  teComboBox,
  teGrid,
  teHeader,
  teListView,
  teMenu,
  teMonthCal,
  teSpin,
  teStatus,
  teToolBar,
  teToolTip,
  teTreeview,
  teWindow,
};

enum TThemedButton {
  tbButtonDontCare,
  tbButtonRoot,
  tbPushButtonNormal,
  tbPushButtonHot,
  tbPushButtonPressed,
  tbPushButtonDisabled,
  tbPushButtonDefaulted,
  tbRadioButtonUncheckedNormal,
  tbRadioButtonUncheckedHot,
  tbRadioButtonUncheckedPressed,
  tbRadioButtonUncheckedDisabled,
  tbRadioButtonCheckedNormal,
  tbRadioButtonCheckedHot,
  tbRadioButtonCheckedPressed,
  tbRadioButtonCheckedDisabled,
  tbCheckBoxUncheckedNormal,
  tbCheckBoxUncheckedHot,
  tbCheckBoxUncheckedPressed,
  tbCheckBoxUncheckedDisabled,
  tbCheckBoxCheckedNormal,
  tbCheckBoxCheckedHot,
  tbCheckBoxCheckedPressed,
  tbCheckBoxCheckedDisabled,
  tbCheckBoxMixedNormal,
  tbCheckBoxMixedHot,
  tbCheckBoxMixedPressed,
  tbCheckBoxMixedDisabled,
};
enum TThemedComboBox {
  tcComboBoxDontCare,
  tcComboBoxRoot,
  tcDropDownButtonNormal,
  tcDropDownButtonHot,
  tcDropDownButtonPressed,
  tcDropDownButtonDisabled,
};
enum TThemedGrid {
  tgCellNormal,
  tgCellSelected,
  tgCellRowSelectedLeft,
  tgCellRowSelectedCenter,
  tgCellRowSelectedRight,
  tgFixedCellNormal,
  tgFixedCellHot,
  tgFixedCellPressed,
  tgClassicCellNormal,
  tgClassicCellSelected,
  tgClassicFixedCellNormal,
  tgClassicFixedCellHot,
  tgClassicFixedCellPressed,
  tgGradientCellNormal,
  tgGradientCellSelected,
  tgGradientFixedCellNormal,
  tgGradientFixedCellHot,
  tgGradientFixedCellPressed,
};
enum TThemedHeader {
  thHeaderDontCare,
  thHeaderRoot,
  thHeaderItemNormal,
  thHeaderItemHot,
  thHeaderItemPressed,
  thHeaderItemLeftNormal,
  thHeaderItemLeftHot,
  thHeaderItemLeftPressed,
  thHeaderItemRightNormal,
  thHeaderItemRightHot,
  thHeaderItemRightPressed,
  thHeaderSortArrowSortedUp,
  thHeaderSortArrowSortedDown,
};
enum TThemedListview {
  tlListviewDontCare,
  tlListviewRoot,
  tlListItemNormal,
  tlListItemHot,
  tlListItemSelected,
  tlListItemDisabled,
  tlListItemSelectedNotFocus
};
enum TThemedMenu {
  tmMenuDontCare,
  tmPopupItemNormal,
  tmPopupItemHot,
  tmPopupItemDisabled,
  tmPopupSeparator,
  tmPopupCheckNormal,
  tmPopupSubMenuNormal
};
enum TThemedMonthCal {
  tmcGridCellNormal,
  tmcGridCellHot,
  tmcGridCellSelected,
  tmcGridCellToday,
  tmcGridCellBackground
};
enum TThemedSpin {
  tsSpinDontCare,
  tsSpinRoot,
  tsUpNormal,
  tsUpHot,
  tsUpPressed,
  tsUpDisabled,
  tsDownNormal,
  tsDownHot,
  tsDownPressed,
  tsDownDisabled,
};
enum TThemedStatus { tsStatusDontCare, tsStatusRoot, tsPane, tsGripperPane, tsGripper };
enum TThemedToolBar {
  ttbToolBarDontCare,
  ttbToolBarRoot,
  ttbButtonNormal,
  ttbButtonHot,
  ttbButtonPressed,
  ttbButtonDisabled,
  ttbButtonChecked,
  ttbButtonCheckedHot,
  ttbSplitButtonNormal,
  ttbSplitButtonHot,
  ttbSplitButtonPressed,
  ttbSplitButtonDisabled,
  ttbSplitButtonChecked,
  ttbSplitButtonCheckedHot,
  ttbSplitButtonDropDownNormal,
  ttbSplitButtonDropDownHot,
  ttbSplitButtonDropDownPressed,
  ttbSplitButtonDropDownDisabled,
  ttbSeparatorNormal,
};
enum TThemedToolTip {
  tttToolTipDontCare,
  tttToolTipRoot,
  tttStandardNormal,
  tttCloseNormal,
  tttCloseHot,
  tttClosePressed
};
enum TThemedTreeview {
  ttTreeviewDontCare,
  ttTreeviewRoot,
  ttItemNormal,
  ttItemSelected,
  ttGlyphClosed,
  ttGlyphOpened,
  ttHotGlyphClosed,
  ttHotGlyphOpened
};
enum TThemedWindow {
  twWindowDontCare,
  twWindowRoot,
  twSmallCaptionActive,
  twSmallCaptionInactive,
  twSmallFrameLeftActive,
  twSmallFrameRightActive,
  twSmallFrameBottomActive,
  twSmallCloseButtonNormal,
  twSmallCloseButtonHot,
  twSmallCloseButtonPushed,
  twSmallCloseButtonDisabled,
  twCloseButtonNormal,
  twCloseButtonHot,
  twCloseButtonPushed,
  twCloseButtonDisabled,
};

struct TThemedElementDetails {
  TThemedElement Element = teButton;
  Integer Part = 0;
  Integer State = 0;
};

enum TElementColor {
  ecBorderColor,
  ecFillColor,
  ecTextColor,
  ecEdgeLightColor,
  ecEdgeShadowColor,
  ecGlyphColor,
  ecGradientColor1,
  ecGradientColor2
};
// Colours a style gives the grids beyond the system colours: the grid's face and its item texts.
enum TStyleColor { scGrid };
enum TStyleFont { sfGridItemNormal, sfGridItemSelected };
enum TElementSize { esMinimum, esActual, esStretch };

class TCustomStyleServices {
 public:
  virtual ~TCustomStyleServices() = default;
  // The switch between the themed painter (the platform style) and the classic 3-D one.
  bool Enabled() const;
  bool Available() const { return true; }
  // A custom style of the original's style engine is never active here.
  bool IsSystemStyle() const { return true; }
  bool GetEnabled() const { return Enabled(); }

  TThemedElementDetails GetElementDetails(TThemedButton d) const;
  TThemedElementDetails GetElementDetails(TThemedComboBox d) const;
  TThemedElementDetails GetElementDetails(TThemedGrid d) const;
  TThemedElementDetails GetElementDetails(TThemedHeader d) const;
  TThemedElementDetails GetElementDetails(TThemedListview d) const;
  TThemedElementDetails GetElementDetails(TThemedMenu d) const;
  TThemedElementDetails GetElementDetails(TThemedMonthCal d) const;
  TThemedElementDetails GetElementDetails(TThemedSpin d) const;
  TThemedElementDetails GetElementDetails(TThemedStatus d) const;
  TThemedElementDetails GetElementDetails(TThemedToolBar d) const;
  TThemedElementDetails GetElementDetails(TThemedToolTip d) const;
  TThemedElementDetails GetElementDetails(TThemedTreeview d) const;
  TThemedElementDetails GetElementDetails(TThemedWindow d) const;

  bool DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& rect,
                   const TRect* clip = nullptr) const;
  // The rectangle inside the element's borders.
  TRect GetElementContentRect(HDC dc, const TThemedElementDetails& details, const TRect& bounds) const;
  bool GetElementColor(const TThemedElementDetails& details, TElementColor which, TColor& color) const;
  bool GetElementSize(HDC dc, const TThemedElementDetails& details, TElementSize which, TSize& size) const;
  // System colours of the active style (the palette of ColorToRGB).
  TColor GetSystemColor(TColor color) const;
  // The active style's grid colours, as RGB.
  TColor GetStyleColor(TStyleColor color) const;
  TColor GetStyleFontColor(TStyleFont font) const;
  bool DrawText(HDC dc, const TThemedElementDetails& details, const String& text, TRect& rect,
                UINT flags) const;
};

TCustomStyleServices* StyleServices();
inline TCustomStyleServices* ThemeServices() { return StyleServices(); }
bool ThemesEnabled();
// Tests and the style manager switch between the two painters.
void SetThemesEnabled(bool enabled);
bool CustomStyleActive();

// ---- the raw theme calls ----
using HTHEME = void*;
enum THEMESIZE { TS_MIN, TS_TRUE, TS_DRAW };
// Class names: "BUTTON", "HEADER", "TREEVIEW", "COMBOBOX", "SPIN", "TOOLBAR", "STATUS", "WINDOW",
// "TOOLTIP", "LISTVIEW", "MENU", "MONTHCAL" (";"-separated lists take the first known). Null when
// themes are off or the class is unknown.
HTHEME OpenThemeData(HWND window, const Char* classList);
Integer CloseThemeData(HTHEME theme);
bool IsThemeActive();
bool IsAppThemed();
Integer DrawThemeBackground(HTHEME theme, HDC dc, Integer part, Integer state, const TRect* rect,
                            const TRect* clip);
Integer GetThemePartSize(HTHEME theme, HDC dc, Integer part, Integer state, const TRect* rect, THEMESIZE size,
                         TSize* result);
Integer GetThemeBackgroundContentRect(HTHEME theme, HDC dc, Integer part, Integer state, const TRect* bounds,
                                      TRect* content);
constexpr Integer S_OK = 0, E_FAIL = static_cast<Integer>(0x80004005);

// Part and state numbers of the raw calls.
enum : Integer { BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3 };
enum : Integer { PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5 };
enum : Integer {
  CBS_UNCHECKEDNORMAL = 1,
  CBS_UNCHECKEDHOT,
  CBS_UNCHECKEDPRESSED,
  CBS_UNCHECKEDDISABLED,
  CBS_CHECKEDNORMAL,
  CBS_CHECKEDHOT,
  CBS_CHECKEDPRESSED,
  CBS_CHECKEDDISABLED,
  CBS_MIXEDNORMAL,
  CBS_MIXEDHOT,
  CBS_MIXEDPRESSED,
  CBS_MIXEDDISABLED,
};
enum : Integer { RBS_UNCHECKEDNORMAL = 1, RBS_CHECKEDNORMAL = 5 };
enum : Integer { HP_HEADERITEM = 1, HP_HEADERITEMLEFT = 2, HP_HEADERITEMRIGHT = 3, HP_HEADERSORTARROW = 4 };
enum : Integer { HIS_NORMAL = 1, HIS_HOT = 2, HIS_PRESSED = 3, HSAS_SORTEDUP = 1, HSAS_SORTEDDOWN = 2 };
enum : Integer { TVP_TREEITEM = 1, TVP_GLYPH = 2, GLPS_CLOSED = 1, GLPS_OPENED = 2 };
enum : Integer { CP_DROPDOWNBUTTON = 1, CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4 };
enum : Integer { SPNP_UP = 1, SPNP_DOWN = 2, UPS_NORMAL = 1, UPS_HOT = 2, UPS_PRESSED = 3, UPS_DISABLED = 4 };
enum : Integer { TP_BUTTON = 1, TP_DROPDOWNBUTTON = 2, TP_SPLITBUTTON = 3, TP_SPLITBUTTONDROPDOWN = 4 };
enum : Integer {
  TS_NORMAL = 1,
  TS_HOT = 2,
  TS_PRESSED = 3,
  TS_DISABLED = 4,
  TS_CHECKED = 5,
  TS_HOTCHECKED = 6
};
enum : Integer { SP_PANE = 1, SP_GRIPPERPANE = 2, SP_GRIPPER = 3 };
enum : Integer { WP_SMALLCAPTION = 2, WP_SMALLCLOSEBUTTON = 19, WP_CLOSEBUTTON = 18 };
enum : Integer { CBS_NORMAL = 1, CBS_HOT = 2, CBS_PUSHED = 3, CBS_DISABLED = 4 };
enum : Integer { TTP_STANDARD = 1, TTP_CLOSE = 5, TTCS_NORMAL = 1, TTCS_HOT = 2, TTCS_PRESSED = 3 };
enum : Integer {
  LVP_LISTITEM = 1,
  LISS_NORMAL = 1,
  LISS_HOT = 2,
  LISS_SELECTED = 3,
  LISS_DISABLED = 4,
  LISS_SELECTEDNOTFOCUS = 5
};
enum : Integer {
  MENU_POPUPITEM = 14,
  MENU_POPUPSEPARATOR = 15,
  MPI_NORMAL = 1,
  MPI_HOT = 2,
  MPI_DISABLED = 3
};
enum : Integer { MC_GRIDCELL = 4, MCGC_HOT = 2, MCGC_SELECTED = 3, MCGC_TODAY = 5 };
