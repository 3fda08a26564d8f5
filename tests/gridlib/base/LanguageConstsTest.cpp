// Language constants and the language manager: the built-in texts code point by code point, and
// language files that override texts, with an unknown property reported once while the rest apply.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/base/LanguageResManEh.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

std::vector<unsigned> CodePoints(const String& s) { return std::vector<unsigned>(s.begin(), s.end()); }

TEST(GridLibLanguageConstsTest, BuiltInTextsAreVerbatim) {
  struct Case {
    const char* property;
    const Char* text;
  };
  const Case cases[] = {
      {"Language", u"Russian"},
      {"DuplicateVarNameEh",
       u"\u041F\u0435\u0440\u0435\u043C\u0435\u043D\u043D\u0430\u044F \u0441 "
       u"\u0438\u043C\u0435\u043D\u0435\u043C '%s' \u0443\u0436\u0435 "
       u"\u043F\u0440\u0438\u0441\u0443\u0442\u0441\u0442\u0432\u0443\u0435\u0442 \u0432 "
       u"\u041A\u043E\u043B\u043B\u0435\u043A\u0446\u0438\u0438"},
      {"FieldNameNotFound",
       u"\u0418\u043C\u044F \u043F\u043E\u043B\u044F '%s' \u043D\u0435 "
       u"\u043D\u0430\u0439\u0434\u0435\u043D\u043E"},
      {"FindItemNameAllEh", u"<\u0412\u0441\u0435>"},
      {"OKButtonEh", u"OK"},
      {"CancelButtonEh", u"\u041E\u0442\u043C\u0435\u043D\u0430"},
      {"MemoEditWin_Caption", u""},
      {"TodayEh", u"\u0421\u0435\u0433\u043E\u0434\u043D\u044F"},
      {"PictureEditorDialog_Caption",
       u"\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440 "
       u"\u0438\u0437\u043E\u0431\u0440\u0430\u0436\u0435\u043D\u0438\u0439"},
      {"PictureEditorDialog_Load", u"&\u0418\u0437 \u0444\u0430\u0439\u043B\u0430..."},
      {"PictureEditorDialog_Save", u"&\u0412 \u0444\u0430\u0439\u043B..."},
      {"PictureEditorDialog_Clear", u"&\u041E\u0447\u0438\u0441\u0442\u0438\u0442\u044C"},
      {"PictureEditorDialog_Cut", u"\u0412\u044B\u0440\u0435\u0437\u0430\u0442\u044C"},
      {"PictureEditorDialog_Copy", u"\u0421\u043A\u043E\u043F\u0438\u0440\u043E\u0432\u0430\u0442\u044C"},
      {"PictureEditorDialog_Paste", u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C"},
      {"PictureEditorDialog_ZoomIn", u"\u0423\u0432\u0435\u043B\u0438\u0447\u0438\u0442\u044C"},
      {"PictureEditorDialog_ZoomOut", u"\u0423\u043C\u0435\u043D\u044C\u0448\u0438\u0442\u044C"},
      {"PictureEditorDialog_Reset", u"\u0418\u0441\u0445. \u0440\u0430\u0437\u043C."},
      {"DBGridEhFindDlg_Caption", u"\u041F\u043E\u0438\u0441\u043A"},
      {"DBGridEhFindDlg_FindWhat", u"&\u041E\u0431\u0440\u0430\u0437\u0435\u0446:"},
      {"DBGridEhFindDlg_FindIn", u"&\u041F\u043E\u0438\u0441\u043A \u0432:"},
      {"DBGridEhFindDlg_Match", u"&\u0421\u043E\u0432\u043F\u0430\u0434\u0435\u043D\u0438\u0435:"},
      {"DBGridEhFindDlg_Search", u"\u041F\u0440\u043E\u0441&\u043C\u043E\u0442\u0440:"},
      {"DBGridEhFindDlg_FindInTree",
       u"\u0418\u0441\u043A\u0430\u0442\u044C \u0432 \u0434\u0435\u0440\u0435\u0432\u0435:"},
      {"DBGridEhFindDlg_FindNext", u"\u041D\u0430&\u0439\u0442\u0438 \u0434\u0430\u043B\u0435\u0435"},
      {"DBGridEhFindDlg_Close", u"\u0417\u0430\u043A\u0440\u044B\u0442\u044C"},
      {"DBGridEhFindDlg_FromAnyPart",
       u"\u0421 \u043B\u044E\u0431\u043E\u0439 \u0447\u0430\u0441\u0442\u0438 \u043F\u043E\u043B\u044F"},
      {"DBGridEhFindDlg_WholeField", u"\u041F\u043E\u043B\u044F \u0446\u0435\u043B\u0438\u043A\u043E\u043C"},
      {"DBGridEhFindDlg_FromBeging", u"\u0421 \u043D\u0430\u0447\u0430\u043B\u0430 \u043F\u043E\u043B\u044F"},
      {"DBGridEhFindDlg_Direction_Up", u"\u0412\u0432\u0435\u0440\u0445"},
      {"DBGridEhFindDlg_Direction_Down", u"\u0412\u043D\u0438\u0437"},
      {"DBGridEhFindDlg_Direction_All", u"\u0412\u0441\u0435"},
      {"DBGridEhFindDlg_MatchCase",
       u"\u0421 \u0443\u0447\u0435\u0442\u043E\u043C \u0440\u0435&\u0433\u0438\u0441\u0442\u0440\u0430"},
      {"DBGridEhFindDlg_MatchFormat",
       u"\u0421 \u0443&\u0447\u0435\u0442\u043E\u043C \u0444\u043E\u0440\u043C\u0430\u0442\u0430"},
      {"DBGridEhFindDlg_TreeRange_InAllNodes",
       u"\u0412\u043E \u0432\u0441\u0435\u0445 \u0432\u0435\u0442\u0432\u044F\u0445"},
      {"DBGridEhFindDlg_TreeRange_InExpandedNodes",
       u"\u0412 \u0440\u0430\u0441\u043A\u0440\u044B\u0442\u044B\u0445 \u0432\u0435\u0442\u0432\u044F\u0445"},
      {"DBGridEhFindDlg_TreeRange_InCurrentLevel",
       u"\u0412 \u0442\u0435\u043A\u0443\u0449\u0435\u043C \u0443\u0440\u043E\u0432\u043D\u0435"},
      {"DBGridEhFindDlg_TreeRange_InCurrentNode",
       u"\u0412 \u0442\u0435\u043A\u0443\u0449\u0435\u0439 \u0432\u0435\u0442\u043A\u0435"},
  };
  TGridLibLanguageConsts* consts = GetGridLibLanguageConsts();
  for (const Case& c : cases) {
    const String name = Utf8ToString(c.property);
    ASSERT_TRUE(GetPropInfo(consts, name)) << c.property;
    EXPECT_EQ(CodePoints(GetStrProp(consts, name)), CodePoints(c.text)) << c.property;
  }
  // The calendar's "today" is Russian from its first letter: the Cyrillic Es, not a Latin C.
  EXPECT_EQ(consts->GetTodayEh()[0], u'\u0421');
}

// The texts that the grid, filter, export, preview, print and pivot screens quote where they show them.
TEST(GridLibLanguageConstsTest, TextsQuotedByTheirReadersAreVerbatim) {
  struct Case {
    const char* property;
    const Char* text;
  };
  const Case cases[] = {
      {"ClearSelectedCells",
       u"\u041E\u0447\u0438\u0441\u0442\u0438\u0442\u044C "
       u"\u0432\u044B\u0434\u0435\u043B\u0435\u043D\u043D\u044B\u0435 \u044F\u0447\u0435\u0439\u043A\u0438?"},
      {"InvalidTextFormat",
       u"\u041D\u0435\u0432\u0435\u0440\u043D\u044B\u0439 \u0444\u043E\u0440\u043C\u0430\u0442 "
       u"\u0442\u0435\u043A\u0441\u0442\u0430"},
      {"InvalidVCLDBIFFormat",
       u"\u041D\u0435\u0432\u0435\u0440\u043D\u044B\u0439 \u0444\u043E\u0440\u043C\u0430\u0442 VCLDBIF"},
      {"ErrorDuringInsertValue",
       u"\u041E\u0448\u0438\u0431\u043A\u0430 \u043F\u0440\u0438 \u0432\u0441\u0442\u0430\u0432\u043A\u0435 "
       u"\u0437\u043D\u0430\u0447\u0435\u043D\u0438\u044F:"},
      {"IgnoreError",
       u"\u0418\u0433\u043D\u043E\u0440\u0438\u0440\u043E\u0432\u0430\u0442\u044C "
       u"\u043E\u0448\u0438\u0431\u043A\u0443?"},
      {"Preview",
       u"\u041F\u0440\u0435\u0434\u0432\u0430\u0440\u0438\u0442\u0435\u043B\u044C\u043D\u044B\u0439 "
       u"\u043F\u0440\u043E\u0441\u043C\u043E\u0442\u0440"},
      {"VisibleColumns",
       u"\u0412\u0438\u0434\u0438\u043C\u044B\u0435 \u0441\u0442\u043E\u043B\u0431\u0446\u044B"},
      {"Cut", u"\u0412\u044B\u0440\u0435\u0437\u0430\u0442\u044C"},
      {"Copy", u"\u041A\u043E\u043F\u0438\u0440\u043E\u0432\u0430\u0442\u044C"},
      {"Paste", u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C"},
      {"Delete", u"\u0423\u0434\u0430\u043B\u0438\u0442\u044C"},
      {"SelectAll", u"\u0412\u044B\u0431\u0440\u0430\u0442\u044C \u0432\u0441\u0435"},
      {"STFilterListItem_Empties", u"(\u041F\u0443\u0441\u0442\u044B\u0435)"},
      {"STFilterListItem_NotEmpties", u"(\u041D\u0435 \u043F\u0443\u0441\u0442\u044B\u0435)"},
      {"STFilterListItem_All", u"(\u0412\u0441\u0435)"},
      {"STFilterListItem_SelectAll",
       u"(\u0412\u044B\u0431\u0440\u0430\u0442\u044C \u0432\u0441\u0435 "
       u"\u044D\u043B\u0435\u043C\u0435\u043D\u0442\u044B)"},
      {"STFilterListItem_ClearFilter",
       u"(\u041E\u0447\u0438\u0441\u0442\u0438\u0442\u044C \u0444\u0438\u043B\u044C\u0442\u0440)"},
      {"STFilterListItem_ClearFilterInColumn",
       u"(\u041E\u0447\u0438\u0441\u0442\u0438\u0442\u044C \u0444\u0438\u043B\u044C\u0442\u0440 \u0432 "
       u"\u0441\u0442\u043E\u043B\u0431\u0446\u0435)"},
      {"STFilterListItem_SortingByDescend",
       u"(\u0421\u043E\u0440\u0442\u0438\u0440\u043E\u0432\u043A\u0430 \u043F\u043E "
       u"\u0443\u0431\u044B\u0432\u0430\u043D\u0438\u044E)"},
      {"STFilterListItem_SortingByAscend",
       u"(\u0421\u043E\u0440\u0442\u0438\u0440\u043E\u0432\u043A\u0430 \u043F\u043E "
       u"\u0432\u043E\u0437\u0440\u0430\u0441\u0442\u0430\u043D\u0438\u044E)"},
      {"STFilterListItem_ApplyFilter",
       u"(\u041F\u0440\u0438\u043C\u0435\u043D\u0438\u0442\u044C \u0444\u0438\u043B\u044C\u0442\u0440)"},
      {"STFilterListItem_CustomFilter", u"(\u0423\u0441\u043B\u043E\u0432\u0438\u0435...)"},
      {"SimpFilter_equals", u"\u0440\u0430\u0432\u043D\u043E"},
      {"SimpFilter_does_not_equal", u"\u043D\u0435 \u0440\u0430\u0432\u043D\u043E"},
      {"SimpFilter_is_greate_than", u"\u0431\u043E\u043B\u044C\u0448\u0435"},
      {"SimpFilter_is_greate_than_or_equall_to",
       u"\u0431\u043E\u043B\u044C\u0448\u0435 \u0438\u043B\u0438 \u0440\u0430\u0432\u043D\u043E"},
      {"SimpFilter_is_less_than", u"\u043C\u0435\u043D\u044C\u0448\u0435"},
      {"SimpFilter_is_less_than_or_equall_to",
       u"\u043C\u0435\u043D\u044C\u0448\u0435 \u0438\u043B\u0438 \u0440\u0430\u0432\u043D\u043E"},
      {"SimpFilter_begins_with", u"\u043D\u0430\u0447\u0438\u043D\u0430\u0435\u0442\u0441\u044F \u0441"},
      {"SimpFilter_does_not_begin_with",
       u"\u043D\u0435 \u043D\u0430\u0447\u0438\u043D\u0430\u0435\u0442\u0441\u044F \u0441"},
      {"SimpFilter_ends_with",
       u"\u0437\u0430\u043A\u0430\u043D\u0447\u0438\u0432\u0430\u0435\u0442\u0441\u044F \u043D\u0430"},
      {"SimpFilter_does_not_end_with",
       u"\u043D\u0435 \u0437\u0430\u043A\u0430\u043D\u0447\u0438\u0432\u0430\u0435\u0442\u0441\u044F "
       u"\u043D\u0430"},
      {"SimpFilter_contains", u"\u0441\u043E\u0434\u0435\u0440\u0436\u0438\u0442"},
      {"SimpFilter_does_not_contain", u"\u043D\u0435 \u0441\u043E\u0434\u0435\u0440\u0436\u0438\u0442"},
      {"SimpFilter_like", u"\u043F\u043E\u0434\u043E\u0431\u043D\u043E"},
      {"SimpFilter_not_like", u"\u043D\u0435 \u043F\u043E\u0434\u043E\u0431\u043D\u043E"},
      {"SimpFilter_in_list", u"\u0432 \u0441\u043F\u0438\u0441\u043A\u0435"},
      {"SimpFilter_not_in_list", u"\u043D\u0435 \u0432 \u0441\u043F\u0438\u0441\u043A\u0435"},
      {"SimpFilter_is_blank", u"\u043F\u0443\u0441\u0442\u044B\u0435"},
      {"SimpFilter_is_not_blank", u"\u043D\u0435 \u043F\u0443\u0441\u0442\u044B\u0435"},
      {"GroupingPanelText",
       u"\u041F\u0435\u0440\u0435\u0442\u0430\u0449\u0438\u0442\u0435 \u0441\u044E\u0434\u0430 "
       u"\u0437\u0430\u0433\u043E\u043B\u043E\u0432\u043E\u043A, \u0447\u0442\u043E\u0431\u044B "
       u"\u0441\u0433\u0440\u0443\u043F\u043F\u0438\u0440\u043E\u0432\u0430\u0442\u044C \u043F\u043E "
       u"\u0441\u0442\u043E\u043B\u0431\u0446\u0443"},
      {"NoDataEh", u"\u041D\u0435\u0442 \u0434\u0430\u043D\u043D\u044B\u0445"},
      {"QuoteIsAbsentEh",
       u"\u041E\u0442\u0441\u0443\u0442\u0441\u0442\u0432\u0443\u0435\u0442 "
       u"\u043A\u0430\u0432\u044B\u0447\u043A\u0430: "},
      {"LeftBracketExpectedEh", u"'(' \u043F\u0440\u043E\u043F\u0443\u0449\u0435\u043D\u0430: "},
      {"ErrorInExpressionEh",
       u"\u041E\u0448\u0438\u0431\u043A\u0430 \u0432 "
       u"\u0432\u044B\u0440\u0430\u0436\u0435\u043D\u0438\u0438: "},
      {"UnexpectedExpressionBeforeNullEh",
       u"\u041F\u0440\u043E\u043F\u0443\u0449\u0435\u043D\u043E "
       u"\u0432\u044B\u0440\u0430\u0436\u0435\u043D\u0438\u0435 \u043F\u0435\u0440\u0435\u0434 Null: "},
      {"UnexpectedExpressionAfterOperatorEh",
       u"\u041F\u0440\u043E\u043F\u0443\u0449\u0435\u043D\u043E "
       u"\u0432\u044B\u0440\u0430\u0436\u0435\u043D\u0438\u0435 \u043F\u043E\u0441\u043B\u0435 "
       u"\u043E\u043F\u0435\u0440\u0430\u0442\u043E\u0440\u0430: "},
      {"IncorrectExpressionEh",
       u"\u041D\u0435\u0432\u0435\u0440\u043D\u043E\u0435 "
       u"\u0432\u044B\u0440\u0430\u0436\u0435\u043D\u0438\u0435: "},
      {"UnexpectedANDorOREh",
       u"\u041F\u0440\u043E\u043F\u0443\u0449\u0435\u043D AND \u0438\u043B\u0438 OR: "},
      {"GridSelectionInfo_Sum", u"Sum"},
      {"GridSelectionInfo_Cnt", u"Count"},
      {"GridSelectionInfo_Evg", u"Average"},
      {"GridSelectionInfo_Min", u"Min"},
      {"GridSelectionInfo_Max", u"Max"},
      {"FirstRecordEh", u"\u041F\u0435\u0440\u0432\u0430\u044F \u0437\u0430\u043F\u0438\u0441\u044C"},
      {"PriorRecordEh",
       u"\u041F\u0440\u0435\u0434\u044B\u0434\u0443\u0449\u0430\u044F \u0437\u0430\u043F\u0438\u0441\u044C"},
      {"NextRecordEh",
       u"\u0421\u043B\u0435\u0434\u0443\u044E\u0449\u0430\u044F \u0437\u0430\u043F\u0438\u0441\u044C"},
      {"LastRecordEh",
       u"\u041F\u043E\u0441\u043B\u0435\u0434\u043D\u044F\u044F \u0437\u0430\u043F\u0438\u0441\u044C"},
      {"InsertRecordEh",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C \u0437\u0430\u043F\u0438\u0441\u044C"},
      {"DeleteRecordEh", u"\u0423\u0434\u0430\u043B\u0438\u0442\u044C \u0437\u0430\u043F\u0438\u0441\u044C"},
      {"EditRecordEh",
       u"\u0420\u0435\u0434\u0430\u043A\u0442\u0438\u0440\u043E\u0432\u0430\u0442\u044C "
       u"\u0437\u0430\u043F\u0438\u0441\u044C"},
      {"PostEditEh",
       u"\u041F\u043E\u0434\u0442\u0432\u0435\u0440\u0434\u0438\u0442\u044C "
       u"\u0440\u0435\u0434\u0430\u043A\u0442\u0438\u0440\u043E\u0432\u0430\u043D\u0438\u0435"},
      {"CancelEditEh",
       u"\u041E\u0442\u043C\u0435\u043D\u0438\u0442\u044C "
       u"\u0440\u0435\u0434\u0430\u043A\u0442\u0438\u0440\u043E\u0432\u0430\u043D\u0438\u0435"},
      {"RefreshRecordEh",
       u"\u041E\u0431\u043D\u043E\u0432\u0438\u0442\u044C \u0434\u0430\u043D\u043D\u044B\u0435"},
      {"DeleteMultipleRecordsQuestionEh",
       u"\u0423\u0434\u0430\u043B\u0438\u0442\u044C %d "
       u"\u0432\u044B\u0431\u0440\u0430\u043D\u043D\u044B\u0445 \u0437\u0430\u043F\u0438\u0441\u0435\u0439?"},
      {"DeleteAllRecordsQuestionEh",
       u"\u0423\u0434\u0430\u043B\u0438\u0442\u044C \u0432\u0441\u0435 "
       u"\u0437\u0430\u043F\u0438\u0441\u0438?"},
      {"SearchPanelEditorPromptText", u"\u041F\u043E\u0438\u0441\u043A..."},
      {"SearchPanelApplyFilterEh",
       u"\u041F\u043E\u043A\u0430\u0437\u0430\u0442\u044C \u0432\u0441\u0435 "
       u"\u0437\u0430\u043F\u0438\u0441\u0438, \u043A\u043E\u0442\u043E\u0440\u044B\u0435 "
       u"\u0441\u043E\u0434\u0435\u0440\u0436\u0430\u0442 \u0442\u0435\u043A\u0441\u0442"},
      {"SearchPanelCancelFilterEh",
       u"\u041E\u0442\u043C\u0435\u043D\u0438\u0442\u044C \u0444\u0438\u043B\u044C\u0442\u0440 \u0438 "
       u"\u043E\u0447\u0438\u0441\u0442\u0438\u0442\u044C \u0441\u0442\u0440\u043E\u043A\u0443 "
       u"\u043F\u043E\u0438\u0441\u043A\u0430"},
      {"SearchPanelFindNextEh",
       u"\u0418\u0441\u043A\u0430\u0442\u044C \u0441\u043B\u0435\u0434\u0443\u044E\u0449\u0435\u0435 "
       u"\u0441\u043E\u0432\u043F\u0430\u0434\u0435\u043D\u0438\u0435"},
      {"SearchPanelFindPrevEh",
       u"\u0418\u0441\u043A\u0430\u0442\u044C \u043F\u0440\u0435\u0434\u044B\u0434\u0443\u0449\u0435\u0435 "
       u"\u0441\u043E\u0432\u043F\u0430\u0434\u0435\u043D\u0438\u0435"},
      {"SearchPanelOptionsEh",
       u"\u041F\u043E\u043A\u0430\u0437\u0430\u0442\u044C \u043E\u043F\u0446\u0438\u0438 "
       u"\u043F\u043E\u0438\u0441\u043A\u0430"},
      {"SortingByThisColumnIsNotPossibleEh",
       u"\u0421\u043E\u0440\u0442\u0438\u0440\u043E\u0432\u043A\u0430 \u043F\u043E "
       u"\u044D\u0442\u043E\u043C\u0443 \u043F\u043E\u043B\u044E "
       u"\u043D\u0435\u0432\u043E\u0437\u043C\u043E\u0436\u043D\u0430"},
      {"GroupingByThisColumnIsNotPossibleEh",
       u"\u0413\u0440\u0443\u043F\u043F\u0438\u0440\u043E\u0432\u043A\u0430 \u043F\u043E "
       u"\u044D\u0442\u043E\u043C\u0443 \u043F\u043E\u043B\u044E "
       u"\u043D\u0435\u0432\u043E\u0437\u043C\u043E\u0436\u043D\u0430"},
      {"SearchScopeEh", u"\u041E\u0431\u043B\u0430\u0441\u0442\u044C \u043F\u043E\u0438\u0441\u043A\u0430"},
      {"CurrentColumnEh",
       u"\u0422\u0435\u043A\u0443\u0449\u0430\u044F \u043A\u043E\u043B\u043E\u043D\u043A\u0430"},
      {"TheEntireGridEh", u"\u0412\u0441\u044F \u0442\u0430\u0431\u043B\u0438\u0446\u0430"},
      {"CaseSensitiveEh",
       u"\u0421 \u0443\u0447\u0435\u0442\u043E\u043C \u0440\u0435\u0433\u0438\u0441\u0442\u0440\u0430"},
      {"WholeWordsEh", u"\u0426\u0435\u043B\u044B\u0435 \u0441\u043B\u043E\u0432\u0430"},
      {"BeginsWithEh", u"\u041D\u0430\u0447\u0438\u043D\u0430\u0435\u0442\u0441\u044F \u0441"},
      {"CloseInBracketsEh", u"(\u0417\u0430\u043A\u0440\u044B\u0442\u044C)"},
      {"ElapsedTimeEh", u"Elapsed time"},
      {"PivotDataBuildingInProgressEh",
       u"\u0418\u0434\u0435\u0442 \u0441\u043E\u0437\u0434\u0430\u043D\u0438\u0435 "
       u"\u0434\u0430\u043D\u043D\u044B\u0445 \u0434\u043B\u044F \u0441\u0432\u043E\u0434\u043D\u043E\u0439 "
       u"\u0442\u0430\u0431\u043B\u0438\u0446\u044B..."},
      {"PressESCToCancelEh",
       u"\u041D\u0430\u0436\u043C\u0438\u0442\u0435 ESC \u0447\u0442\u043E\u0431\u044B "
       u"\u043F\u0440\u0435\u0440\u0432\u0430\u0442\u044C"},
      {"GrandTotalEh", u"\u041E\u0431\u0449\u0438\u0439 \u0438\u0442\u043E\u0433"},
      {"TotalEh", u"\u0418\u0442\u043E\u0433"},
      {"PivotValueFieldDisplayNameEh", u"(\u0417\u043D\u0430\u0447\u0435\u043D\u0438\u0435)"},
      {"PivotRowsEh", u"\u0421\u0442\u0440\u043E\u043A\u0438"},
      {"PivotColumnsEh", u"\u0421\u0442\u043E\u043B\u0431\u0446\u044B"},
      {"PivotValuesEh", u"\u0417\u043D\u0430\u0447\u0435\u043D\u0438\u044F"},
      {"PivotDataIsNotLoadedEh",
       u"<\u0414\u0430\u043D\u043D\u044B\u0435 \u043D\u0435 "
       u"\u0437\u0430\u0433\u0440\u0443\u0436\u0435\u043D\u044B>"},
      {"PivotSliceNonDisplayNameEh", u"\u041D\u0435\u0442"},
      {"PivotSliceYearDisplayNameEh", u"\u0413\u043E\u0434"},
      {"PivotSliceQuarterDisplayNameEh", u"\u041A\u0432\u0430\u0440\u0442\u0430\u043B"},
      {"PivotSliceMonthDisplayNameEh", u"\u041C\u0435\u0441\u044F\u0446"},
      {"PivotSliceWeekDisplayNameEh", u"\u041D\u0435\u0434\u0435\u043B\u044F"},
      {"PivotSliceDayDisplayNameEh", u"\u0414\u0435\u043D\u044C"},
      {"PivotSliceHourDisplayNameEh", u"\u0427\u0430\u0441"},
      {"PivotSliceMinDisplayNameEh", u"\u041C\u0438\u043D\u0443\u0442\u0430"},
      {"PivotSliceSecDisplayNameEh", u"\u0421\u0435\u043A\u0443\u043D\u0434\u0430"},
      {"PivotSliceMSecDisplayNameEh",
       u"\u041C\u0438\u043A\u0440\u043E\u0441\u0435\u043A\u0443\u043D\u0434\u0430"},
      {"PivotSumFunctionSum", u"\u0421\u0443\u043C\u043C\u0430"},
      {"PivotSumFunctionCount", u"\u041A\u043E\u043B\u0438\u0447\u0435\u0441\u0442\u0432\u043E"},
      {"PivotSumFunctiontAvg", u"\u0421\u0440\u0435\u0434\u043D\u0435\u0435"},
      {"PivotSumFunctionMax", u"\u041C\u0430\u043A\u0441\u0438\u043C\u0443\u043C"},
      {"PivotSumFunctionMin", u"\u041C\u0438\u043D\u0438\u043C\u0443\u043C"},
      {"PivotSumFunctionCountDistinct",
       u"\u041A\u043E\u043B\u0438\u0447\u0435\u0441\u0442\u0432\u043E "
       u"\u0443\u043D\u0438\u043A\u0430\u043B\u044C\u043D\u044B\u0445"},
      {"PivotSumFunctionProduct",
       u"\u041F\u0440\u043E\u0438\u0437\u0432\u0435\u0434\u0435\u043D\u0438\u0435"},
      // The n-1 functions are the unbiased ones.
      {"PivotSumFunctionStDev",
       u"\u041D\u0435\u0441\u043C\u0435\u0449\u0435\u043D\u043D\u043E\u0435 "
       u"\u043E\u0442\u043A\u043B\u043E\u043D\u0435\u043D\u0438\u0435"},
      {"PivotSumFunctionStDevp",
       u"\u0421\u043C\u0435\u0449\u0435\u043D\u043D\u043E\u0435 "
       u"\u043E\u0442\u043A\u043B\u043E\u043D\u0435\u043D\u0438\u0435"},
      {"PivotSumFunctionVar",
       u"\u041D\u0435\u0441\u043C\u0435\u0449\u0435\u043D\u043D\u0430\u044F "
       u"\u0434\u0438\u0441\u043F\u0435\u0440\u0441\u0438\u044F"},
      {"PivotSumFunctionVarp",
       u"\u0421\u043C\u0435\u0449\u0435\u043D\u043D\u0430\u044F "
       u"\u0434\u0438\u0441\u043F\u0435\u0440\u0441\u0438\u044F"},
      {"PivotSumFunctionCustom",
       u"\u041F\u043E\u043B\u044C\u0437\u043E\u0432\u0430\u0442\u0435\u043B\u044C\u0441\u043A\u0430\u044F"},
      {"EditPivotField_Caption",
       u"\u041F\u0430\u0440\u0430\u043C\u0435\u0442\u0440\u044B \u043F\u043E\u043B\u044F "
       u"\u0437\u043D\u0430\u0447\u0435\u043D\u0438\u0439"},
      {"EditPivotField_AggrFunc", u"\u041E\u043F\u0435\u0440\u0430\u0446\u0438\u044F:"},
      {"EditPivotField_DisplayFormat",
       u"\u0427\u0438\u0441\u043B\u043E\u0432\u043E\u0439 \u0444\u043E\u0440\u043C\u0430\u0442:"},
      {"GridLoadingModeTextEh", u"\u0417\u0430\u0433\u0440\u0443\u0437\u043A\u0430..."},
      {"PreviewForm_Caption",
       u"\u041F\u0440\u0435\u0434\u0432\u0430\u0440\u0438\u0442\u0435\u043B\u044C\u043D\u044B\u0439 "
       u"\u043F\u0440\u043E\u0441\u043C\u043E\u0442\u0440"},
      {"PreviewForm_Stop_Caption", u"\u0421\u0442\u043E\u043F"},
      {"PreviewForm_MenuPageWidth",
       u"\u041F\u043E \u0448\u0438\u0440\u0438\u043D\u0435 \u0441\u0442\u0440\u0430\u043D\u0438\u0446\u044B"},
      {"PreviewForm_MenuFullPage",
       u"\u0421\u0442\u0440\u0430\u043D\u0438\u0446\u0430 \u0446\u0435\u043B\u0438\u043A\u043E\u043C"},
      {"DBGridEhSimpleFilterDialog_Caption",
       u"\u041F\u043E\u043B\u044C\u0437\u043E\u0432\u0430\u0442\u0435\u043B\u044C\u0441\u043A\u0438\u0439 "
       u"\u0444\u0438\u043B\u044C\u0442\u0440"},
      {"DBGridEhSimpleFilterDialog_ShowRecordsWhere",
       u"\u041F\u043E\u043A\u0430\u0437\u044B\u0432\u0430\u0442\u044C \u0442\u043E\u043B\u044C\u043A\u043E "
       u"\u0442\u0435 \u0437\u0430\u043F\u0438\u0441\u0438, \u0437\u043D\u0430\u0447\u0435\u043D\u0438\u044F "
       u"\u043A\u043E\u0442\u043E\u0440\u044B\u0445:"},
      {"DBGridEhSimpleFilterDialog_OneCharWildcardInfo",
       u"\u0417\u043D\u0430\u043A \"_\" \u043E\u0431\u043E\u0437\u043D\u0430\u0447\u0430\u0435\u0442 "
       u"\u043E\u0434\u0438\u043D \u043B\u044E\u0431\u043E\u0439 \u0437\u043D\u0430\u043A"},
      {"DBGridEhSimpleFilterDialog_SeveralCharsWildcardInfo",
       u"\u0417\u043D\u0430\u043A \"%\" \u043E\u0431\u043E\u0437\u043D\u0430\u0447\u0430\u0435\u0442 "
       u"\u043F\u043E\u0441\u043B\u0435\u0434\u043E\u0432\u0430\u0442\u0435\u043B\u044C\u043D\u043E\u0441"
       u"\u0442\u044C \u043B\u044E\u0431\u044B\u0445 \u0437\u043D\u0430\u043A\u043E\u0432"},
      {"DBGridEhSimpleFilterDialog_Or_Caption", u"\u0418&\u043B\u0438"},
      {"DBGridEhSimpleFilterDialog_And_Caption", u"&\u0418"},
      {"PrintPageSetupDialog_Caption",
       u"\u041F\u0430\u0440\u0430\u043C\u0435\u0442\u0440\u044B "
       u"\u0441\u0442\u0440\u0430\u043D\u0438\u0446\u044B"},
      {"PrintPageSetupDialog_Page", u"\u0421\u0442\u0440\u0430\u043D\u0438\u0446\u0430"},
      {"PrintPageSetupDialog_Orientation", u"\u041E\u0440\u0438\u0435\u043D\u0442\u0430\u0446\u0438\u044F"},
      {"PrintPageSetupDialog_Scaling", u"\u041C\u0430\u0441\u0448\u0442\u0430\u0431"},
      {"PrintPageSetupDialog_Portrait", u"\u041A\u043D\u0438\u0436\u043D\u0430\u044F"},
      {"PrintPageSetupDialog_Landscape", u"\u0410\u043B\u044C\u0431\u043E\u043C\u043D\u0430\u044F"},
      {"PrintPageSetupDialog_PrNormalSize",
       u"% \u043E\u0442 \u043D\u0430\u0442\u0443\u0440\u0430\u043B\u044C\u043D\u043E\u0439 "
       u"\u0432\u0435\u043B\u0438\u0447\u0438\u043D\u044B"},
      {"PrintPageSetupDialog_PageWideBy", u"\u0441\u0442\u0440. \u0432 \u0448\u0438\u0440\u0438\u043D\u0443"},
      {"PrintPageSetupDialog_tall", u"\u0432 \u0432\u044B\u0441\u043E\u0442\u0443"},
      {"PrintPageSetupDialog_AdjustTo", u"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u0438\u0442\u044C"},
      {"PrintPageSetupDialog_FitTo",
       u"\u0420\u0430\u0437\u043C\u0435\u0441\u0442\u0438\u0442\u044C \u043D\u0435 "
       u"\u0431\u043E\u043B\u0435\u0435 \u0447\u0435\u043C \u043D\u0430"},
      {"PrintPageSetupDialog_Margins", u"\u041F\u043E\u043B\u044F"},
      {"PrintPageSetupDialog_Left", u"\u0421\u043B\u0435\u0432\u0430"},
      {"PrintPageSetupDialog_Top", u"\u0421\u0432\u0435\u0440\u0445\u0443"},
      {"PrintPageSetupDialog_Bottom", u"\u0421\u043D\u0438\u0437\u0443"},
      {"PrintPageSetupDialog_Right", u"\u0421\u043F\u0440\u0430\u0432\u0430"},
      {"PrintPageSetupDialog_Header",
       u"\u0412\u0435\u0440\u0445\u043D\u0438\u0439 "
       u"\u043A\u043E\u043B\u043E\u043D\u0442\u0438\u0442\u0443\u043B"},
      {"PrintPageSetupDialog_Footer",
       u"\u041D\u0438\u0436\u043D\u0438\u0439 \u043A\u043E\u043B\u043E\u043D\u0442\u0438\u0442\u0443\u043B"},
      {"PrintPageSetupDialog_HeaderFooter",
       u"\u041A\u043E\u043B\u043E\u043D\u0442\u0438\u0442\u0443\u043B\u044B"},
      {"PrintPageSetupDialog_ChangeFont",
       u"\u0418\u0437\u043C\u0435\u043D\u0438\u0442\u044C \u0448\u0440\u0438\u0444\u0442"},
      {"PrintPageSetupDialog_FontAbr", u"\u0428\u0444\u0442"},
      {"PrintPageSetupDialog_InsertPageNo_Hint",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C \u043D\u043E\u043C\u0435\u0440 "
       u"\u0441\u0442\u0440\u0430\u043D\u0438\u0446\u044B"},
      {"PrintPageSetupDialog_InsertPageNo_Abr", u"\u041D\u0441"},
      {"PrintPageSetupDialog_InsertPages_Hint",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C "
       u"\u043A\u043E\u043B\u0438\u0447\u0435\u0441\u0442\u0432\u043E "
       u"\u0441\u0442\u0440\u0430\u043D\u0438\u0446"},
      {"PrintPageSetupDialog_InsertPages_Abr", u"\u041A\u0441\u0442"},
      {"PrintPageSetupDialog_InsertDate_Hint",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C \u0434\u0430\u0442\u0443"},
      {"PrintPageSetupDialog_InsertDate_Abr", u"\u0414"},
      {"PrintPageSetupDialog_InsertShortDate_Hint",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C \u043A\u043E\u0440\u043E\u0442\u043A\u0443\u044E "
       u"\u0434\u0430\u0442\u0443"},
      {"PrintPageSetupDialog_InsertShortDate_Abr", u"\u0414\u043A\u0440"},
      {"PrintPageSetupDialog_InsertLongDate_Hint",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C \u0434\u043B\u0438\u043D\u043D\u0443\u044E "
       u"\u0434\u0430\u0442\u0443"},
      {"PrintPageSetupDialog_InsertLongDate_Abr", u"\u0414\u0434\u043B"},
      {"PrintPageSetupDialog_InsertTime_Hint",
       u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C \u0432\u0440\u0435\u043C\u044F"},
      {"PrintPageSetupDialog_InsertTime_Abr", u"\u0412"},
      {"PrintPageSetupDialog_PageHeader",
       u"\u0412\u0435\u0440\u0445\u043D\u0438\u0439 "
       u"\u043A\u043E\u043B\u043E\u043D\u0442\u0438\u0442\u0443\u043B"},
      {"PrintPageSetupDialog_PageFooter",
       u"\u041D\u0438\u0436\u043D\u0438\u0439 \u043A\u043E\u043B\u043E\u043D\u0442\u0438\u0442\u0443\u043B"},
      {"PrintPageSetupDialog_Center", u"\u041F\u043E \u0446\u0435\u043D\u0442\u0440\u0443"},
      {"PageOfPages", u"\u0421\u0442\u0440\u0430\u043D\u0438\u0446\u0430 %d \u0438\u0437 %d"},
      {"CellCountEh", u"Cell Count"},
      {"UnsupportedFieldTypeEh",
       u"\u041D\u0435\u043F\u043E\u0434\u0434\u0435\u0440\u0436\u0438\u0432\u0430\u0435\u043C\u044B\u0439 "
       u"\u0442\u0438\u043F (%s) \u0434\u043B\u044F \u043F\u043E\u043B\u044F %s"},
      {"PreviewForm_Print_Hint", u"\u041F\u0435\u0447\u0430\u0442\u0430\u0442\u044C"},
      {"PreviewForm_Print_Caption", u"\u041F\u0435\u0447\u0430\u0442\u0430\u0442\u044C"},
      {"PreviewForm_PrinterSetupDialog_Hint",
       u"\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0430 "
       u"\u043F\u0440\u0438\u043D\u0442\u0435\u0440\u0430"},
      {"PreviewForm_PrinterSetupDialog_Caption",
       u"\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0430 "
       u"\u043F\u0440\u0438\u043D\u0442\u0435\u0440\u0430"},
      {"PreviewForm_Scale_Hint", u"\u041C\u0430\u0441\u0448\u0442\u0430\u0431"},
      {"PreviewForm_Scale_Caption", u"\u041C\u0430\u0441\u0448\u0442\u0430\u0431"},
      {"PreviewForm_PrevPage_Hint",
       u"\u041F\u0440\u0435\u0434\u044B\u0434\u0443\u0449\u0430\u044F "
       u"\u0441\u0442\u0440\u0430\u043D\u0438\u0446\u0430"},
      {"PreviewForm_PrevPage_Caption", u"\u041F\u0440\u0435\u0434\u044B\u0434\u0443\u0449\u0430\u044F"},
      {"PreviewForm_NextPage_Hint",
       u"\u0421\u043B\u0435\u0434\u0443\u044E\u0449\u0430\u044F "
       u"\u0441\u0442\u0440\u0430\u043D\u0438\u0446\u0430"},
      {"PreviewForm_NextPage_Caption", u"\u0421\u043B\u0435\u0434\u0443\u044E\u0449\u0430\u044F"},
      {"PreviewForm_Close_Hint",
       u"\u0417\u0430\u043A\u0440\u044B\u0442\u044C \u043E\u043A\u043D\u043E "
       u"\u043F\u0440\u0435\u0434\u0432\u0430\u0440\u0438\u0442\u0435\u043B\u044C\u043D\u043E\u0433\u043E "
       u"\u043F\u0440\u043E\u0441\u043C\u043E\u0442\u0440\u0430"},
      {"PreviewForm_Close_Caption", u"\u0417\u0430\u043A\u0440\u044B\u0442\u044C"},
  };
  TGridLibLanguageConsts* consts = GetGridLibLanguageConsts();
  for (const Case& c : cases) {
    const String name = Utf8ToString(c.property);
    ASSERT_TRUE(GetPropInfo(consts, name)) << c.property;
    EXPECT_EQ(CodePoints(GetStrProp(consts, name)), CodePoints(c.text)) << c.property;
  }
}

TEST(GridLibLanguageConstsTest, EveryConstantIsPublishedAndOnlyTheMemoCaptionIsEmpty) {
  TGridLibLanguageConsts* consts = GetGridLibLanguageConsts();
  int strings = 0;
  for (const TPropInfo* info : GetPropList(consts)) {
    if (info->Kind() != tkUString && info->Kind() != tkString) continue;
    if (info->Name == u"Name") continue;
    ++strings;
    if (info->Name == u"MemoEditWin_Caption")
      EXPECT_TRUE(GetStrProp(consts, info).empty());
    else
      EXPECT_FALSE(GetStrProp(consts, info).empty()) << StringToUtf8(info->Name);
  }
  EXPECT_EQ(strings, 255);
}

// A language folder with files written by the test, and a manager and constants object of its own.
class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    dir_ = std::filesystem::temp_directory_path() /
           ("kiv-lang-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    manager_.SetResourceFolderPath(Utf8ToString(dir_.string()));
    consts_ = std::make_unique<TGridLibLanguageConsts>(nullptr);
    Application->OnException = [this](TObject*, Exception* e) { reported_.push_back(e->Message()); };
  }
  void TearDown() override {
    Application->OnException = nullptr;
    std::filesystem::remove_all(dir_);
  }
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  std::filesystem::path dir_;
  TLanguageResourceManagerEh manager_;
  std::unique_ptr<TGridLibLanguageConsts> consts_;
  std::vector<String> reported_;
};

TEST_F(LanguageManagerTest, LanguageFileOverridesTheTextsItNames) {
  WriteFile("GridLibLangConsts.ENU.dfm",
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n"
            "  OKButtonEh = 'Okay'\n"
            "  CancelButtonEh = 'Cancel'\n"
            "end\n");
  manager_.LoadListOfAvailableLanguages(u"GridLibLangConsts");
  ASSERT_EQ(manager_.GetLanguageList()->GetText(), u"ENU\r\n");
  manager_.AddLocalizableObject(consts_.get(), u"TGridLibLanguageConsts", u"GridLibLangConsts", u"RUS");

  manager_.SetActiveLanguageAbbr(u"ENU");

  EXPECT_EQ(consts_->GetOKButtonEh(), u"Okay");
  EXPECT_EQ(consts_->GetCancelButtonEh(), u"Cancel");
  EXPECT_EQ(consts_->GetTodayEh(), u"\u0421\u0435\u0433\u043E\u0434\u043D\u044F");
  EXPECT_TRUE(reported_.empty());
}

TEST_F(LanguageManagerTest, UnknownPropertyIsReportedOnceAndTheOthersApply) {
  WriteFile("GridLibLangConsts.ENU.dfm",
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n"
            "  OKButtonEh = 'Okay'\n"
            "  NoSuchTextEh = 'x'\n"
            "  CancelButtonEh = '\xD0\x9E\xD1\x82\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB0!'\n"
            "end\n");
  manager_.LoadListOfAvailableLanguages(u"GridLibLangConsts");
  manager_.AddLocalizableObject(consts_.get(), u"TGridLibLanguageConsts", u"GridLibLangConsts", u"RUS");

  manager_.SetActiveLanguageAbbr(u"ENU");

  ASSERT_EQ(reported_.size(), 1u);
  EXPECT_NE(reported_[0].find(u"NoSuchTextEh"), String::npos);
  EXPECT_EQ(consts_->GetOKButtonEh(), u"Okay");
  EXPECT_EQ(consts_->GetCancelButtonEh(), u"\u041E\u0442\u043C\u0435\u043D\u0430!");
}

TEST_F(LanguageManagerTest, MissingFileKeepsTextsAndStillNotifies) {
  class TListener : public TComponent, public ILanguageResourceLoadNotificationConsumer {
   public:
    TListener() : TComponent(nullptr) {}
    void ResourceLanguageChanged() override { ++calls; }
    int calls = 0;
  } listener;
  manager_.GetLanguageList()->Add(u"DEU");
  manager_.AddLocalizableObject(consts_.get(), u"TGridLibLanguageConsts", u"GridLibLangConsts", u"RUS");
  manager_.AddChangeNotifyConsumer(&listener, u"RUS");
  const String before = consts_->GetOKButtonEh();

  manager_.SetActiveLanguageAbbr(u"DEU");
  manager_.SetActiveLanguageAbbr(u"DEU");

  EXPECT_EQ(consts_->GetOKButtonEh(), before);
  EXPECT_EQ(listener.calls, 1);
  manager_.DeleteChangeNotifyConsumer(&listener);
}

TEST_F(LanguageManagerTest, UnsupportedLanguageAndBadStreamRaise) {
  try {
    manager_.SetActiveLanguageAbbr(u"XYZ");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Language \"XYZ\" is not supported");
  }
  EXPECT_THROW(manager_.ReadComponentExternalResource(consts_.get(), u"GridLibLangConsts"), Exception);
  TStringStream garbage(u"not a form");
  try {
    manager_.ReadComponentFromStream(consts_.get(), &garbage);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Invalid stream format.");
  }
}

TEST_F(LanguageManagerTest, AutoselectFallsBackToPrimaryLanguageThenEnglish) {
  TStringList* list = manager_.GetLanguageList();
  EXPECT_EQ(manager_.AutoselectLanguage(0x0419), u"");
  list->Add(u"ENU");
  EXPECT_EQ(manager_.AutoselectLanguage(0x0419), u"ENU");
  // English (United Kingdom) is missing, English (United States) shares its primary language.
  EXPECT_EQ(manager_.AutoselectLanguage(0x0809), u"ENU");
  list->Add(u"RUS");
  EXPECT_EQ(manager_.AutoselectLanguage(0x0419), u"RUS");
  EXPECT_EQ(manager_.AutoselectLanguage(), u"RUS");
}

}  // namespace
