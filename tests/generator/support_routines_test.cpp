#include "generator/support_routines.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vt {
namespace {

std::vector<std::string> Written(RoutineWriter writer, bool high) {
    const CodePage cp = CodePage::Open(1252);
    test::MemoryTarget target;
    const auto output = target.Opener()("x");
    Printer out(*output, cp);
    EXPECT_FALSE(writer(out, high));
    return test::SplitLines(target.bytes);
}

TEST(SupportRoutines, LineCountsAtBothLevels) {
    struct Case {
        RoutineWriter writer;
        const char* firstLowLine;
        std::size_t high;
        std::size_t low;
    };
    const Case cases[] = {
        {WriteDisplayError, "Private Sub DisplayError(sError As String)", 9, 5},
        {WriteCreateField,
         "Private Sub CreateField(oTableName As TableDef, zFieldInfo As FieldDesign)", 32, 29},
        {WriteAddIndex, "Private Sub AddIndex(oTableName As TableDef, zIndexInfo As IndexDesign)",
         42, 38},
        {WriteAddRelation,
         "Private Sub AddRelation(oDatabase As Database, zRelationInfo As RelationDesign)", 36, 29},
        {WriteInitField, "Private Sub InitField(zField As FieldDesign)", 19, 15},
        {WriteInitIndex, "Private Sub InitIndex(zIndex As IndexDesign)", 22, 18},
        {WriteInitRelation, "Private Sub InitRelation(zRelation As RelationDesign)", 21, 17},
    };
    std::size_t totalHigh = 0, totalLow = 0;
    for (const Case& c : cases) {
        const auto high = Written(c.writer, true);
        const auto low = Written(c.writer, false);
        EXPECT_EQ(high.size(), c.high) << c.firstLowLine;
        EXPECT_EQ(low.size(), c.low) << c.firstLowLine;
        EXPECT_EQ(low.front(), c.firstLowLine);
        EXPECT_EQ(high.front(), "'");
        EXPECT_EQ(low[low.size() - 2], "End Sub");
        EXPECT_EQ(low.back(), "");
        totalHigh += high.size();
        totalLow += low.size();
    }
    EXPECT_EQ(totalHigh, 181u);
    EXPECT_EQ(totalLow, 151u);
}

TEST(SupportRoutines, DisplayErrorAtLowLevel) {
    EXPECT_EQ(Written(WriteDisplayError, false),
              (std::vector<std::string>{
                  "Private Sub DisplayError(sError As String)",
                  "    MsgBox sError & Chr(13) & Err.Number & \" : \" & Err.Description, vbCritical",
                  "    Err.Clear", "End Sub", ""}));
}

TEST(SupportRoutines, AddRelationInBodyCommentsOnlyAtHighLevel) {
    const auto high = Written(WriteAddRelation, true);
    const auto low = Written(WriteAddRelation, false);
    const auto endWith = [](const std::vector<std::string>& lines) {
        return std::find(lines.begin(), lines.end(), "    End With");
    };
    EXPECT_EQ(*(endWith(high) + 1), "    '");
    EXPECT_EQ(*(endWith(high) + 2), "    ' Creates field matches for relationship.");
    EXPECT_EQ(*(endWith(low) + 1),
              "    For i = LBound(zRelationInfo.rdFieldName) To UBound(zRelationInfo.rdFieldName)");
    EXPECT_EQ(low[13], "        .Table = zRelationInfo.rdTable  'Name the Primary Table.");
    EXPECT_EQ(low[14],
              "        .ForeignTable = zRelationInfo.rdForeignTable 'Name the Foreign Table.");
}

TEST(SupportRoutines, FailedWriteEndsTheWriterWithTrue) {
    const CodePage cp = CodePage::Open(1252);
    test::MemoryTarget target;
    target.failAfterBytes = 100;
    const auto output = target.Opener()("x");
    Printer out(*output, cp);
    EXPECT_TRUE(WriteCreateField(out, true));
    EXPECT_LE(target.bytes.size(), 100u);
    EXPECT_EQ(target.bytes.substr(0, 3), "'\r\n");
}

}  // namespace
}  // namespace vt
