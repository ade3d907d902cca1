// The About box's system lines at their thresholds, the box and the splash
// screen as laid out.

#include <ostream>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "qt_environment.h"
#include "scripted_platform.h"
#include "ui/about.h"
#include "ui/about_text.h"
#include "ui/metrics.h"
#include "ui/splash.h"

namespace vt::ui::test {
namespace {

struct MemoryCase {
    std::int64_t bytes;
    const char* englishLine;
    const char* germanLine;
};

void PrintTo(const MemoryCase& c, std::ostream* out) { *out << c.bytes << " bytes"; }

class FreeMemoryLineTest : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(FreeMemoryLineTest, UsesTheThresholdDivisorsAndLocalePattern) {
    const MemoryCase& c = GetParam();
    EXPECT_EQ(FreeMemoryLine(c.bytes, QLocale(QLocale::English, QLocale::UnitedStates))
                  .toStdString(),
              c.englishLine);
    EXPECT_EQ(FreeMemoryLine(c.bytes, QLocale(QLocale::German, QLocale::Germany)).toStdString(),
              c.germanLine);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, FreeMemoryLineTest,
    ::testing::Values(
        MemoryCase{1048576, "Free Physical Memory = 1,024.00 KB",
                   "Free Physical Memory = 1.024,00 KB"},
        MemoryCase{1048577, "Free Physical Memory = 1.00 MB", "Free Physical Memory = 1,00 MB"},
        MemoryCase{524288, "Free Physical Memory = 512.00 KB", "Free Physical Memory = 512,00 KB"},
        MemoryCase{1610612736, "Free Physical Memory = 1,536.00 MB",
                   "Free Physical Memory = 1.536,00 MB"},
        MemoryCase{0, "Free Physical Memory = 0.00 KB", "Free Physical Memory = 0,00 KB"},
        MemoryCase{1536, "Free Physical Memory = 1.50 KB", "Free Physical Memory = 1,50 KB"},
        // Beyond 2 GiB the 64-bit figure stays positive.
        MemoryCase{6442450944, "Free Physical Memory = 6,144.00 MB",
                   "Free Physical Memory = 6.144,00 MB"},
        MemoryCase{1099511627776LL * 2, "Free Physical Memory = 2,097,152.00 MB",
                   "Free Physical Memory = 2.097.152,00 MB"}));

TEST(FreeMemoryLine, GroupsThousandsAlsoInTheCLocale) {
    EXPECT_EQ(FreeMemoryLine(1610612736, QLocale::c()).toStdString(),
              "Free Physical Memory = 1,536.00 MB");
}

struct OsCase {
    std::optional<OsVersion> version;
    const char* line;
};

void PrintTo(const OsCase& c, std::ostream* out) {
    if (!c.version) {
        *out << "failed call";
    } else {
        *out << "id " << c.version->platformId << " " << c.version->major << "."
             << c.version->minor << " " << c.version->systemName;
    }
}

class OsLineTest : public ::testing::TestWithParam<OsCase> {};

TEST_P(OsLineTest, NamesThePlatformAndVersion) {
    EXPECT_EQ(OsLine(GetParam().version).toStdString(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    PlatformIds, OsLineTest,
    ::testing::Values(OsCase{OsVersion{0, 3, 10, ""}, "Windows 3.1, version 3.10"},
                      OsCase{OsVersion{1, 4, 10, ""}, "Windows 95, version 4.10"},
                      OsCase{OsVersion{1, 4, 0, ""}, "Windows 95, version 4.0"},
                      OsCase{OsVersion{2, 4, 0, ""}, "Windows NT, version 4.0"},
                      OsCase{OsVersion{3, 10, 0, ""}, "Unknown Operating System"},
                      OsCase{OsVersion{7, 1, 1, ""}, "Unknown Operating System"},
                      OsCase{std::nullopt, "Unknown Operating System"},
                      OsCase{OsVersion{-1, 6, 1, "Linux"}, "Linux, version 6.1"}));

TEST(MemoryLoadLine, ShowsThePercentage) {
    EXPECT_EQ(MemoryLoadLine(0).toStdString(), "System Memory Utilization = 0 %");
    EXPECT_EQ(MemoryLoadLine(57).toStdString(), "System Memory Utilization = 57 %");
}

TEST(ParseMeminfo, TakesAvailableMemoryAndComputesTheLoad) {
    const auto status = ParseMeminfo(
        "MemTotal:        8000000 kB\nMemFree:          500000 kB\n"
        "MemAvailable:    2000000 kB\nBuffers:          100 kB\n");
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->availablePhysical, 2000000LL * 1024);
    EXPECT_EQ(status->memoryLoad, 75u);
}

TEST(ParseMeminfo, FallsBackToFreeMemoryAndRejectsIncompleteText) {
    const auto old = ParseMeminfo("MemTotal: 1000 kB\nMemFree: 250 kB\n");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->availablePhysical, 250 * 1024);
    EXPECT_EQ(old->memoryLoad, 75u);
    EXPECT_FALSE(ParseMeminfo("").has_value());
    EXPECT_FALSE(ParseMeminfo("MemFree: 10 kB\n").has_value());
}

TEST(ParseKernelRelease, KeepsMajorAndMinor) {
    const auto version = ParseKernelRelease("Linux", "6.1.0-13-amd64");
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(OsLine(version).toStdString(), "Linux, version 6.1");
    EXPECT_FALSE(ParseKernelRelease("Linux", "unknown").has_value());
    EXPECT_FALSE(ParseKernelRelease("", "6.1").has_value());
}

TEST(AboutBox, HasItsPlaceholdersCaptionAndSize) {
    App();
    ScriptedPlatform platform;
    frmAbout about(platform);
    EXPECT_EQ(about.windowTitle(), "About Window");
    EXPECT_EQ(about.aboutName->text(), "Name");
    EXPECT_EQ(about.aboutVersion->text(), "Version");
    EXPECT_EQ(about.aboutOS->text(), "OS System");
    EXPECT_EQ(about.aboutFreeMem->text(), "Free Memory");
    EXPECT_EQ(about.aboutFreeRes->text(), "Free Resources");
    EXPECT_EQ(about.aboutOK->text(), "OK");
    EXPECT_EQ(about.size(), QSize(Twips(5565), Twips(3315)));
    EXPECT_EQ(about.aboutOS->geometry(), TwipsRect(750, 2070, 2950, 240));
    EXPECT_EQ(about.aboutOK->geometry(), TwipsRect(4200, 2820, 1230, 330));
    EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST(AboutBox, ActivationFillsEveryLineFromThePlatform) {
    App();
    ScriptedPlatform platform;
    platform.osVersion = OsVersion{2, 4, 0, ""};
    platform.memory = MemoryStatus{42, 1048576};
    frmAbout about(platform);
    about.SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    about.Activate();
    EXPECT_EQ(about.aboutName->text(), "Vellumtide");
    EXPECT_EQ(about.aboutVersion->text(), "Version 1.11");
    EXPECT_EQ(about.aboutOS->text(), "Windows NT, version 4.0");
    EXPECT_EQ(about.aboutFreeMem->text(), "Free Physical Memory = 1,024.00 KB");
    EXPECT_EQ(about.aboutFreeRes->text(), "System Memory Utilization = 42 %");
}

TEST(AboutBox, LongFiguresWidenTheirLineWithoutReachingTheButton) {
    App();
    ScriptedPlatform platform;
    platform.osVersion = OsVersion{-1, 6, 18, "Linux"};
    platform.memory = MemoryStatus{100, 1099511627776LL * 4};
    frmAbout about(platform);
    about.SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    about.Activate();
    const QLabel* line = about.aboutFreeMem;
    EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(line->text()));
    EXPECT_LE(line->geometry().right(), about.width());
    EXPECT_GE(line->width(), Twips(2950));
    EXPECT_LT(about.aboutFreeRes->geometry().right(), about.aboutOK->geometry().left());
}

TEST(Splash, HasItsPlaceholdersAndLayout) {
    App();
    ScriptedPlatform platform;
    frmSplash splash(platform);
    EXPECT_EQ(splash.splashName->text(), "Name");
    EXPECT_EQ(splash.splashVersion->text(), "Version");
    EXPECT_EQ(splash.contentsRect().size(), QSize(Twips(4590), Twips(3195)));
    EXPECT_EQ(splash.splashProgressBar->minimum(), 0);
    EXPECT_EQ(splash.splashProgressBar->maximum(), 100);
    EXPECT_EQ(splash.splashProgressBar->value(), 0);
    EXPECT_EQ(splash.splashProgressBar->geometry(), TwipsRect(180, 2430, 3840, 285));
    EXPECT_TRUE(splash.splashName->font().bold());
    EXPECT_NEAR(splash.splashName->font().pointSizeF(), 13.5, 0.01);
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::SplashScreen));
    EXPECT_NE(splash.splashCopyright->text().indexOf("Marrowlane"), -1);
}

TEST(Splash, UnloadPausesWithTheBarAtZeroThenFillsItAndCloses) {
    App();
    ScriptedPlatform platform;
    frmSplash splash(platform);
    splash.show();
    splash.Load();
    EXPECT_EQ(splash.splashName->text(), "Vellumtide");
    EXPECT_EQ(splash.splashVersion->text(), "Version 1.11");
    int during = -1;
    platform.onSleep = [&] { during = splash.splashProgressBar->value(); };
    splash.Unload();
    EXPECT_EQ(platform.sleeps, std::vector<int>{3000});
    EXPECT_EQ(during, 0);
    EXPECT_EQ(splash.splashProgressBar->value(), 100);
    EXPECT_FALSE(splash.isVisible());
}

}  // namespace
}  // namespace vt::ui::test
