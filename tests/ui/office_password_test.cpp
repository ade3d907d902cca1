// The window's password prompt on real Office-encrypted files: each kind asks
// for its password as a Jet database does, and the password is written
// neither to the settings store nor into the module.

#include "window_fixture.h"

namespace vt::ui::test {
namespace {

const std::string kJet = std::string(VT_TEST_DATA_DIR) + "/jet/";
const std::string kPrompt = " is protected by a password.\nEnter the password:";

struct OfficeCase {
    const char* file;
    const char* password;
    const char* table;
};

TEST_F(WindowTest, OfficeEncryptedFilesAskForTheirPasswordAndKeepItNowhere) {
    const OfficeCase cases[] = {
        {"jackcessencrypt/db2007-enc.accdb", "Test123", "[Table        ]Table1"},
        {"jackcessencrypt/db2013-enc.accdb", "1234", "[Table        ]Customers"},
        {"mdb-reader/office-agile-4.2.accdb", "password", "[Table        ]Table1"},
    };
    for (const OfficeCase& c : cases) {
        SCOPED_TRACE(c.file);
        Reset();
        const std::string file = kJet + c.file;
        const std::string module = Path(QFileInfo(file.c_str()).baseName().toStdString() + ".bas");
        platform.answers = {file, std::string(c.password), module};
        window->dbOpenDB_Click();
        const std::string name = QFileInfo(file.c_str()).fileName().toStdString();
        EXPECT_THAT(platform.Logged("password"), ElementsAre("The database " + name + kPrompt));
        EXPECT_THAT(ListLines(), ::testing::Contains(c.table));
        window->dbBuildModule_Click();
        EXPECT_THAT(platform.Logged("box"), ElementsAre("64 0 Build Module complete."));
        EXPECT_EQ(ReadFile(module).find(c.password), std::string::npos);
        for (const auto& [key, value] : platform.store) {
            EXPECT_EQ(value.find(c.password), std::string::npos) << key;
        }
    }
}

}  // namespace
}  // namespace vt::ui::test
