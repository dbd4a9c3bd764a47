#include "resources/StringTable.h"

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

TEST(StringTable, EveryNamedTextLoadsWithoutItsName)
{
    // A line the loader drops or misreads shows as a blank caption or message at run time.
    ASSERT_GT(std::size(kNamedTexts), 200u);
    for (const NamedText& named : kNamedTexts) {
        const QString text = LoadText(named.id);
        EXPECT_FALSE(text.trimmed().isEmpty()) << named.name;
        EXPECT_FALSE(text.contains(QLatin1String(named.name))) << named.name;
        EXPECT_FALSE(text.startsWith(QLatin1Char('\t'))) << named.name;
    }
    // Blanks at either end and escapes survive; unknown numbers give nothing.
    EXPECT_EQ(LoadText(IDS_DELETE_PREFIX), "Delete ");
    EXPECT_EQ(LoadText(IDS_MAIL_BODY), "Recording '%s' of %s at %s \r\n\r\n");
    EXPECT_TRUE(LoadText(999999).isEmpty());
}

TEST(StringTable, FormatFillsPlaceholdersInOrder)
{
    EXPECT_EQ(FormatText(IDS_DEFAULT_NAME, 7), "Recording 7");
    // An argument holding a placeholder is copied, never filled in turn.
    EXPECT_EQ(FormatText(IDS_MAIL_SUBJECT, QString("100%s %d")), "Fw: recording '100%s %d'");
    // Missing arguments leave their placeholders; other percent signs are text.
    EXPECT_EQ(FillPlaceholders("%s and %s", {"a"}), "a and %s");
    EXPECT_EQ(FillPlaceholders("50% of %H %", {"x"}), "50% of %H %");
    EXPECT_EQ(FillPlaceholders("%d%s", {"1", "2", "3"}), "12");
}

}  // namespace
}  // namespace sonvelle
