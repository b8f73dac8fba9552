#include "platform/win/core/Locale.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(Locale, LanguageIdsOfTheLanguageFiles) {
    struct Case {
        const char* locale;
        WORD primary;
        WORD sub;
    };
    const Case cases[] = {
        {"ar_EG.UTF-8", 1, 1},  {"bg_BG.UTF-8", 2, 1},
        {"zh_TW.UTF-8", 4, 1},  {"zh_CN.GB2312", 4, 2},
        {"zh_HK", 4, 3},        {"zh", 4, 2},
        {"da_DK", 6, 1},        {"de_DE.UTF-8@euro", 7, 1},
        {"en_US.UTF-8", 9, 1},  {"es_ES", 10, 1},
        {"fi_FI", 11, 1},       {"fr_CA.UTF-8", 12, 1},
        {"he_IL", 13, 1},       {"iw_IL", 13, 1},
        {"it_IT", 16, 1},       {"ja_JP.eucJP", 17, 1},
        {"ko_KR.UTF-8", 18, 1}, {"nl_NL", 19, 1},
        {"nb_NO", 20, 1},       {"nn_NO", 20, 2},
        {"pl_PL", 21, 1},       {"pt_BR", 22, 1},
        {"pt_PT", 22, 2},       {"ru_RU.KOI8-R", 25, 1},
        {"sv_SE", 29, 1},       {"th_TH", 30, 1},
        {"tr_TR", 31, 1},       {"vi_VN", 42, 1},
        {"fa_IR.UTF-8", 58, 1}, {"C", 9, 1},
        {"POSIX", 9, 1},        {"cs_CZ.UTF-8", 9, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        LANGID id = ms::LangIdFromLocale(c.locale);
        EXPECT_EQ(PRIMARYLANGID(id), c.primary);
        EXPECT_EQ(SUBLANGID(id), c.sub);
    }
}

TEST(Locale, EnvironmentPrecedence) {
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANG");
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
    ::setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
    ::setenv("LC_MESSAGES", "fa_IR.UTF-8", 1);
    EXPECT_EQ(GetSystemDefaultLangID() & 0x3FF, 58);
    ::setenv("LC_ALL", "zh_TW.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL));
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANG");
}
