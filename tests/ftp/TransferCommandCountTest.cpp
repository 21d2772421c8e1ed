#include <memory>
#include <map>

#include "TransferHarness.h"

namespace {

using Logged = LoggedCommand;

// Whether a command of the verb came alone, after a wait of its own.
bool CameAlone(const std::vector<Logged>& commands, const std::string& verb) {
    std::map<std::pair<std::string, int>, int> together;
    for (const Logged& command : commands) ++together[command.receive];
    for (const Logged& command : commands)
        if (command.verb == verb && together[command.receive] == 1) return true;
    return false;
}

// A passive engine logged in to the counting server, in this test's folder,
// with one connection per run: the counts are those of one connection.
class CommandCountTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        FixtureServer counting;
        ASSERT_TRUE(counting.Load(Fixture::kCounting)) << kFixtureMissing;
        app.options.SetUsePassive(true);
        app.options.SetConnections(1);
        counted = std::make_unique<FtpFS>();
        ASSERT_EQ(S_OK, LoginInFolder(*counted, counting.port));
    }

    // The commands the server took while the step ran, but for the FEAT a
    // connection sends once.
    std::vector<Logged> Cost(const std::function<void()>& step) {
        size_t before = CountingServerLog().size();
        step();
        std::vector<Logged> commands = CountingServerLog(), cost;
        for (size_t i = before; i < commands.size(); ++i)
            if (commands[i].verb != "FEAT") cost.push_back(commands[i]);
        return cost;
    }

    // A folder of `files` small binary files, on the server or here.
    void MakeFolder(bool remoteSide, const std::wstring& name, int files) {
        for (int i = 0; i < files; ++i) {
            std::wstring file = name + L"\\f" + std::to_wstring(i) + L".bin";
            WriteBytes(remoteSide ? Remote(file) : Local(file), "data " + std::to_string(i));
        }
    }

    std::unique_ptr<FtpFS> counted;  // made once passive mode is chosen
};

// The verbs, with "|" where the client waited for a reply before sending on.
std::string Joined(const std::vector<Logged>& commands) {
    std::string text;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (i > 0 && commands[i].receive != commands[i - 1].receive) text += "| ";
        text += commands[i].verb + " ";
    }
    return text;
}

// A folder of one file and one of four, each way: the difference is what three
// files cost, the rest what the folder and the run cost. A file needs EPSV and
// RETR or STOR, sent together. A run asks where it starts (PWD); a folder is
// entered (CWD and PWD, sent together: PWD tells a link that leads back),
// listed on the way down (EPSV and MLSD, together) or made on the way up (MKD),
// and left (CWD). An upload gives each file its time (MFMT), having asked
// once per connection how the server takes one (FEAT, not counted here); a
// time goes with the next file's commands once one has worked. So each file
// costs one wait for replies before its data, and the closing reply after it.
TEST_F(CommandCountTest, AFileCostsTwoCommandsAndAnUploadsTimeOneAndAFolderFiveOrSix) {
    for (bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "up" : "down");
        std::vector<Logged> cost[2];
        for (int files : {1, 4}) {
            std::wstring folder = (upload ? L"up" : L"down") + std::to_wstring(files);
            MakeFolder(!upload, folder, files);
            recorder.events.clear();
            cost[files == 4] = Cost([&] {
                ASSERT_EQ(S_OK, Transfer(upload, {L"D" + folder}, local.Path(), counted.get()));
            });
            EXPECT_EQ(files, recorder.Count(upload ? WM_APP_UPLOAD_FILE : WM_APP_DOWNLOAD_FILE));
        }
        size_t perThreeFiles = cost[1].size() - cost[0].size();
        EXPECT_EQ(upload ? 9u : 6u, perThreeFiles) << Joined(cost[0]) << "| " << Joined(cost[1]);
        EXPECT_LE(cost[0].size() - perThreeFiles / 3, upload ? 5u : 6u) << Joined(cost[0]);
        for (const char* verb : {"RETR", "STOR", "MFMT"})
            EXPECT_FALSE(CameAlone(cost[1], verb)) << verb << ": " << Joined(cost[1]);
    }
}

// A time asked with a download's open goes out with its EPSV and RETR; one
// asked with an open the server refused is never the next file's answer.
TEST_F(CommandCountTest, ATimeAskedWithAnOpenCostsNoWaitOfItsOwn) {
    MakeFolder(true, L"timed", 2);
    const uint64_t stamp = FileTimeOf(2016, 5, 17, 9, 41);
    ASSERT_TRUE(SetFileFacts(Remote(L"timed\\f1.bin"), stamp));
    ASSERT_EQ(S_OK, counted->SetCurrentDir(L"timed"));
    KnownTime refused, asked;
    std::vector<Logged> opened = Cost([&] {
        EXPECT_FALSE(counted->OpenRemoteFile(L"missing.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY,
                                             0, &refused));
        RemoteFileHandle file =
            counted->OpenRemoteFile(L"f1.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 6, &asked);
        ASSERT_TRUE(file);
        char bytes[16];
        DWORD read = 0;
        EXPECT_TRUE(file->Read(bytes, sizeof(bytes), &read));
        EXPECT_EQ("data 1", std::string(bytes, read));
        EXPECT_TRUE(file->Close());
    });
    EXPECT_FALSE(refused.exact);
    EXPECT_TRUE(asked.exact);
    EXPECT_EQ(stamp, asked.utc);
    std::vector<Logged> last(opened.end() - std::min<size_t>(3, opened.size()), opened.end());
    EXPECT_EQ("MDTM EPSV RETR ", Joined(last)) << Joined(opened);
}

// Opening a folder by its full path as the view does: CWD, EPSV and MLSD, no
// PWD, since the path is known already. A connection's first EPSV goes alone,
// until the server has shown that it grants it.
TEST_F(CommandCountTest, OpeningAFolderByItsPathCostsThreeCommands) {
    MakeFolder(true, L"open", 2);
    std::vector<Logged> verbs = Cost([&] {
        ASSERT_EQ(S_OK, counted->SetCurrentDir((L"/" + TestFolderName() + L"/open").c_str()));
        WIN32_FIND_DATAW data;
        int listed = 0;
        for (HRESULT found = counted->FindFirst(&data); found == S_OK;
             found = counted->FindNext(&data))
            ++listed;
        counted->FindClose();
        EXPECT_EQ(2, listed);
    });
    EXPECT_EQ("CWD | EPSV | MLSD ", Joined(verbs));
}

}  // namespace
