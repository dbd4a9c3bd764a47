#include "resources/StringTable.h"

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

TEST(StringTable, LoadsTextsExactlyAsWritten)
{
    EXPECT_EQ(LoadText(233), "Sonvelle");
    EXPECT_EQ(LoadText(354), "Orsolan Sonvelle");
    // The misspellings are the program's own and must survive.
    EXPECT_EQ(LoadText(22), "An error occured while loading MP3 format code library. It is recommended to "
                            "reinstall Sonvelle.");
    EXPECT_EQ(LoadText(298), "Canno play sound warning file. Please, choose a different file from the program options.");
    EXPECT_EQ(LoadText(155), "Wrong file type.Cannot import file.");
}

TEST(StringTable, KeepsLeadingAndTrailingBlanks)
{
    EXPECT_EQ(LoadText(117), " KB");
    EXPECT_EQ(LoadText(145), "Delete ");
    EXPECT_EQ(LoadText(146), " ?");
    EXPECT_EQ(LoadText(161), "Find: ");
    EXPECT_EQ(LoadText(331), " have changed. Save?");
}

TEST(StringTable, ExpandsEscapes)
{
    EXPECT_EQ(LoadText(147), "Recording '%s' of %s at %s \r\n\r\n");
    EXPECT_TRUE(LoadText(69).endsWith("restart the program.\n\n (%s)"));
    EXPECT_EQ(LoadText(53), "Software\\Orsolan\\Sonvelle");
}

TEST(StringTable, UnknownNumberIsEmpty)
{
    EXPECT_FALSE(HasText(999999));
    EXPECT_TRUE(LoadText(999999).isEmpty());
    EXPECT_TRUE(HasText(134));
    EXPECT_EQ(LoadText(134), "0");
}

TEST(StringTable, EveryCitedTextIsPresentAndNotBlank)
{
    // Numbers the program loads; a gap here is a blank caption or message at run time.
    const int ids[] = {2,   5,   6,   7,   8,   11,  17,  18,  20,  22,  23,  25,  27,  29,  30,  31,  53,  54,
                       56,  57,  58,  59,  60,  61,  62,  63,  64,  67,  68,  69,  70,  71,  73,  74,  75,  78,
                       79,  80,  81,  82,  83,  84,  85,  87,  88,  89,  90,  92,  93,  95,  96,  97,  98,  99,
                       100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 116, 117, 118,
                       119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 134, 135, 136, 137,
                       138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 152, 153, 154, 155, 157, 158, 159,
                       160, 161, 166, 169, 173, 177, 179, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191,
                       192, 193, 194, 195, 196, 197, 200, 201, 202, 203, 204, 205, 206, 215, 216, 218, 220, 224,
                       226, 227, 231, 233, 234, 235, 238, 275, 276, 277, 278, 279, 280, 281, 282, 283, 284, 285,
                       286, 287, 288, 289, 290, 291, 292, 293, 294, 295, 296, 297, 298, 299, 300, 301, 302, 303,
                       304, 307, 312, 313, 314, 315, 316, 317, 318, 319, 320, 324, 325, 326, 328, 329, 330, 331,
                       332, 333, 334, 352, 353, 354, 407, 408, 409, 410, 411, 415, 416, 417, 418, 420, 425, 426,
                       427, 428, 429, 430, 431, 432};
    for (int id : ids)
        EXPECT_FALSE(LoadText(id).trimmed().isEmpty()) << "text " << id;
}

}  // namespace
}  // namespace sonvelle
