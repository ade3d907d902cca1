// The window's password prompt on real protected files: an Office-encrypted
// .accdb asks for its password as a Jet database does, a wrong one is 3031
// naming the file, and the password is kept nowhere.

#include "window_fixture.h"

namespace vt::ui::test {
namespace {

const std::string kJet = std::string(VT_TEST_DATA_DIR) + "/jet/";

class OfficePasswordTest : public WindowTest {};

TEST_F(OfficePasswordTest, EachProtectedKindAsksForItsPasswordAndOpens) {
    struct Case {
        std::string file;
        std::string password;
        std::string table;
    };
    const Case cases[] = {
        {"jackcessencrypt/db2013-enc.accdb", "1234", "[Table        ]Customers"},
        {"mdb-reader/office-agile-4.2.accdb", "password", "[Table        ]Table1"},
        {"office-crypto/standard-aes128.accdb", "Vellum tide \xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80",
         "[Table        ]Table1"},
        {"mdb-reader/V2003_with-password.mdb", "password", "[Table        ]Table1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        platform.passwordPrompts.clear();
        platform.messages.clear();
        platform.passwordAnswers.push_back(c.password);
        OpenThroughDialog(kJet + c.file);

        ASSERT_EQ(platform.passwordPrompts.size(), 1u);
        const std::string name = c.file.substr(c.file.find('/') + 1);
        EXPECT_EQ(platform.passwordPrompts[0],
                  "The database " + name + " is protected by a password.\nEnter the password:");
        EXPECT_TRUE(platform.messages.empty()) << MessageTexts()[0];
        const auto lines = ListLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.table), lines.end());
        EXPECT_TRUE(window->dbBuildModule->isEnabled());
        EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
    }
}

TEST_F(OfficePasswordTest, WrongPasswordIsError3031NamingTheFile) {
    const std::string file = kJet + "jackcessencrypt/db2007-enc.accdb";
    platform.passwordAnswers.push_back(std::string("Test124"));
    OpenThroughDialog(file);

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Error in OpenDatabase() <DAO.DBEngine> \r3031 : '" + file + "': Not a valid password.");
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_FALSE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(OfficePasswordTest, ThePasswordIsNeitherStoredNorWrittenIntoTheModule) {
    const std::string password = "Test123";
    platform.passwordAnswers.push_back(password);
    OpenThroughDialog(kJet + "jackcessencrypt/db2007-enc.accdb");
    ASSERT_NE(window->CurrentDatabase(), nullptr);

    const std::string module = Path("Encrypted.bas");
    platform.saveAnswers.push_back(module);
    window->dbBuildModule_Click();
    ASSERT_EQ(MessageTexts(), std::vector<std::string>{"Build Module complete."});
    const std::string text = ReadFile(module);
    EXPECT_NE(text.find("Table1"), std::string::npos);
    EXPECT_EQ(text.find(password), std::string::npos);
    EXPECT_FALSE(platform.store.empty());
    for (const auto& [key, value] : platform.store) {
        EXPECT_EQ(value.find(password), std::string::npos) << key;
    }
}

}  // namespace
}  // namespace vt::ui::test
