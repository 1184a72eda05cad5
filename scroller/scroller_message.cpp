#include "scroller/scroller_message.h"

// Written with escapes so that the bullets (U+2022) and the heart (U+2665) survive any source encoding.
const char16_t ScrollerMessage[] =
    u"\n"
    u"WELCOME TO A SLIGHTLY SPECIAL %HITTEN PRODUCTION% \u2022 ABOUT 30 YEARS AGO I WAS A MEMBER OF "
    u"%\u2022 HITTEN \u2022% AS A SWAPPER AND SOME MIGHT REMEMBER ME AS %\u2022 DORV \u2022% \u2022 "
    u"\n"
    u"AS A TRIBUTE TO THE OLD DAYS AND TO ALL THE GREAT MEMBERS OF %HITTEN% AND THE SCENE I MADE THIS "
    u"LITTLE BIG INTRO DEMO \u2022 "
    u"\n"
    u"ENJOY THE MUSIC AND TAKE CARE \u2665"
    u"\n";

static_assert(sizeof(ScrollerMessage) / sizeof(ScrollerMessage[0]) == 313 + 1, "the message has 313 units");
