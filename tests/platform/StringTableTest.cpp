#include "resources/StringTable.h"

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

TEST(StringTable, LoadsTextsExactlyAsWritten)
{
    const std::pair<int, QString> cases[] = {
        {IDS_APP_NAME, "Sonvelle"},
        {IDS_WINDOW_CAPTION, "Orsolan Sonvelle"},
        // The misspellings are the program's own and must survive.
        {IDS_ENCODER_LOAD_ERROR,
         "An error occured while loading MP3 format code library. It is recommended to reinstall Sonvelle."},
        {IDS_WARNING_UNPLAYABLE,
         "Canno play sound warning file. Please, choose a different file from the program options."},
        {IDS_IMPORT_WRONG_TYPE, "Wrong file type.Cannot import file."},
        // Leading and trailing blanks are part of the text.
        {IDS_UNIT_KB, " KB"},
        {IDS_DELETE_PREFIX, "Delete "},
        {IDS_DELETE_SUFFIX, " ?"},
        {IDS_FIND_LABEL, "Find: "},
        {IDS_INFO_CHANGED_SUFFIX, " have changed. Save?"},
        // Escapes.
        {IDS_MAIL_BODY, "Recording '%s' of %s at %s \r\n\r\n"},
        {IDS_SETTINGS_KEY, "Software\\Orsolan\\Sonvelle"},
        {IDS_DEFAULT_START_IN_TRAY, "0"},
    };
    for (const auto& [id, text] : cases)
        EXPECT_EQ(LoadText(id), text) << "text " << id;
    EXPECT_TRUE(LoadText(IDS_SAVE_FAILED).endsWith("restart the program.\n\n (%s)"));
}

TEST(StringTable, UnknownNumberIsEmpty)
{
    EXPECT_FALSE(HasText(999999));
    EXPECT_TRUE(LoadText(999999).isEmpty());
}

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
}

TEST(StringTable, FormatFillsPlaceholdersInOrder)
{
    EXPECT_EQ(FormatText(IDS_DEFAULT_NAME, 7), "Recording 7");
    EXPECT_EQ(FormatText(IDS_MAIL_BODY, QString("Call 1"), QString("01/02/2026"), QString("10:00")),
              "Recording 'Call 1' of 01/02/2026 at 10:00 \r\n\r\n");
    // An argument holding a placeholder is copied, never filled in turn.
    EXPECT_EQ(FormatText(IDS_MAIL_SUBJECT, QString("100%s %d")), "Fw: recording '100%s %d'");
    // Missing arguments leave their placeholders; other percent signs are text.
    EXPECT_EQ(FillPlaceholders("%s and %s", {"a"}), "a and %s");
    EXPECT_EQ(FillPlaceholders("50% of %H %", {"x"}), "50% of %H %");
    EXPECT_EQ(FillPlaceholders("%d%s", {"1", "2", "3"}), "12");
}

}  // namespace
}  // namespace sonvelle
