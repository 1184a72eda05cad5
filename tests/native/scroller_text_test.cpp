#include <gtest/gtest.h>

#include <string>

#include "scroller/scroller_message.h"
#include "scroller/scroller_text.h"

namespace {

// The C locale's ASCII white space, so the cases do not depend on the platform's iswspace.
bool AsciiWhiteSpace(char16_t unit)
{
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

std::u16string Normalise(std::u16string_view message)
{
    return NormaliseScrollerText(message, AsciiWhiteSpace);
}

}  // namespace

TEST(ScrollerText, EmbeddedMessageGivesThePrintedText)
{
    const std::u16string expected =
        u" WELCOME TO A SLIGHTLY SPECIAL %HITTEN PRODUCTION% \u2022 ABOUT 30 YEARS AGO I WAS A MEMBER OF "
        u"% \u2022 HITTEN \u2022 % AS A SWAPPER AND SOME MIGHT REMEMBER ME AS % \u2022 DORV \u2022 % \u2022 "
        u"AS A TRIBUTE TO THE OLD DAYS AND TO ALL THE GREAT MEMBERS OF %HITTEN% AND THE SCENE I MADE THIS "
        u"LITTLE BIG INTRO DEMO \u2022 ENJOY THE MUSIC AND TAKE CARE \u2665 ";
    ASSERT_EQ(std::u16string_view(ScrollerMessage).size(), 313u);
    EXPECT_EQ(expected.size(), 315u);
    EXPECT_EQ(BuildScrollerText(), expected);
    EXPECT_EQ(Normalise(ScrollerMessage), expected);
}

TEST(ScrollerText, ShortInputs)
{
    EXPECT_EQ(Normalise(u""), u"");
    EXPECT_EQ(Normalise(u"\u2022"), u"\u2022");
    EXPECT_EQ(Normalise(u"A\u2022"), u"A\u2022");
    EXPECT_EQ(Normalise(u"\u2022\u2022"), u"\u2022\u2022");
}

TEST(ScrollerText, BulletsAreSetOffExceptAtTheEnds)
{
    EXPECT_EQ(Normalise(u"A\u2022B"), u"A \u2022 B");
    EXPECT_EQ(Normalise(u"\u2022AB\u2022"), u"\u2022AB\u2022");
    EXPECT_EQ(Normalise(u"A \u2022 B"), u"A \u2022 B");
    EXPECT_EQ(Normalise(u"A\u2022\u2022B"), u"A \u2022 \u2022 B");
    EXPECT_EQ(Normalise(u"A\u2022 B"), u"A \u2022 B");
}

TEST(ScrollerText, WhiteSpaceOutsideSegmentsCollapsesToOneBlank)
{
    EXPECT_EQ(Normalise(u"A\t\r\nB"), u"A B");
    EXPECT_EQ(Normalise(u"  A  "), u" A ");
    EXPECT_EQ(Normalise(u"\nA\v\fB\n"), u" A B ");
    EXPECT_EQ(Normalise(u" \t "), u" ");
}

TEST(ScrollerText, SegmentsAreTrimmedButNotCollapsed)
{
    EXPECT_EQ(Normalise(u"%  WORD  %"), u"%WORD%");
    EXPECT_EQ(Normalise(u"%A \n  B%"), u"%A \n  B%");
    EXPECT_EQ(Normalise(u"% \t\n%"), u"%%");
    EXPECT_EQ(Normalise(u"%%"), u"%%");
}

TEST(ScrollerText, UnterminatedSegmentIsClosedAtTheEnd)
{
    EXPECT_EQ(Normalise(u"A%B"), u"A%B%");
    EXPECT_EQ(Normalise(u"%"), u"%%");
    EXPECT_EQ(Normalise(u"A% B \n"), u"A%B%");
    EXPECT_EQ(Normalise(u"A%B %C  "), u"A%B%C ");
}

TEST(ScrollerText, BulletsInsideSegmentsGetTheirBlanksInside)
{
    EXPECT_EQ(Normalise(u"%\u2022X\u2022%"), u"% \u2022 X \u2022 %");
    EXPECT_EQ(Normalise(u"%X%\u2022%Y%"), u"%X% \u2022 %Y%");
}

TEST(ScrollerText, BlanksAroundSegmentsSurvive)
{
    EXPECT_EQ(Normalise(u"A %B% C"), u"A %B% C");
    EXPECT_EQ(Normalise(u"A  \n%B%\n  C"), u"A %B% C");
    EXPECT_EQ(Normalise(u"A%B%%C%D"), u"A%B%%C%D");
}

TEST(ScrollerText, RuntimeClassifierTakesTheControlsAndTheBlank)
{
    for (const char16_t unit : {u'\t', u'\n', u'\v', u'\f', u'\r', u' '}) {
        EXPECT_TRUE(IsRuntimeWhiteSpace(unit)) << static_cast<int>(unit);
    }
    for (const char16_t unit : {u'%', u'A', u'\u2022', u'\u2665', u'\0'}) {
        EXPECT_FALSE(IsRuntimeWhiteSpace(unit)) << static_cast<int>(unit);
    }
}
