#include "common/show_error.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vt {
namespace {

TEST(ShowError, BothForms) {
    struct Case {
        ErrorRecord pending;
        std::string context;
        int style;
        std::string text;
    };
    const Case cases[] = {
        {{}, "Build Module complete.", box::kInformation, "Build Module complete."},
        {{53, "D", "S"}, "BuildModule()", box::kCritical, "Error in BuildModule() <S> \r53 : D"},
        {{3024, "Gone.", ""}, "OpenDatabase()", box::kCritical,
         "Error in OpenDatabase() <> \r3024 : Gone."},
        {{-5, "Negative.", "X"}, "BuildModuleFile()", box::kCritical,
         "Error in BuildModuleFile() <X> \r-5 : Negative."},
    };
    for (const Case& c : cases) {
        test::RecordingMessenger messenger;
        messenger.pointer = pointer::kBusy;
        PendingError pending;
        pending.Set(c.pending);
        Reporter reporter{pending, messenger};
        ShowError(reporter, c.context);
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0].text, c.text);
        EXPECT_EQ(messenger.shown[0].style, c.style);
        EXPECT_EQ(messenger.shown[0].title, "Vellumtide");
        EXPECT_EQ(messenger.shown[0].pointerWhileShown, pointer::kDefault);
        EXPECT_EQ(messenger.pointer, pointer::kBusy) << "pointer put back";
        EXPECT_EQ(pending.Number(), 0);
    }
}

}  // namespace
}  // namespace vt
