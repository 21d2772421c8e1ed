#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TransferHarness.h"

namespace {

// What the counting server logged: one verb a line, after the session's id.
std::vector<std::string> LoggedVerbs() {
    std::vector<std::string> verbs;
    std::string path;
    if (!FixtureVariable("CORVANE_FTP_COMMAND_LOG", path)) return verbs;
    FILE* log = _wfopen(WinePath(path).c_str(), L"r");
    if (!log) return verbs;
    char session[64], verb[64];
    while (fscanf(log, "%63s %63s", session, verb) == 2) verbs.push_back(verb);
    fclose(log);
    return verbs;
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
        ASSERT_EQ(S_OK, Login(*counted, counting.port));
        ASSERT_EQ(S_OK, counted->SetCurrentDir((L"/" + TestFolderName()).c_str()));
    }

    // The verbs the server took while the step ran.
    std::vector<std::string> Cost(const std::function<void()>& step) {
        size_t before = LoggedVerbs().size();
        step();
        std::vector<std::string> verbs = LoggedVerbs();
        return std::vector<std::string>(verbs.begin() + std::min(before, verbs.size()),
                                        verbs.end());
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

std::string Joined(const std::vector<std::string>& verbs) {
    std::string text;
    for (const std::string& verb : verbs) text += verb + " ";
    return text;
}

// A folder of one file and one of four, each way: the difference is what three
// files cost, the rest what the folder and the run cost. A file needs EPSV and
// RETR or STOR, sent together. A run asks where it starts (PWD); a folder is
// entered (CWD and PWD, sent together: PWD tells a link that leads back),
// listed on the way down (EPSV and MLSD, together) or made on the way up (MKD),
// and left (CWD). An upload gives each file its time (MFMT), having asked
// once per connection how the server takes one (FEAT, not counted here).
TEST_F(CommandCountTest, AFileCostsTwoCommandsAndAnUploadsTimeOneAndAFolderFiveOrSix) {
    for (bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "up" : "down");
        std::vector<std::string> cost[2];
        for (int files : {1, 4}) {
            std::wstring folder = (upload ? L"up" : L"down") + std::to_wstring(files);
            MakeFolder(!upload, folder, files);
            recorder.events.clear();
            cost[files == 4] = Cost([&] {
                ASSERT_EQ(S_OK, Transfer(upload, {L"D" + folder}, local.Path(), counted.get()));
            });
            cost[files == 4].erase(
                std::remove(cost[files == 4].begin(), cost[files == 4].end(), "FEAT"),
                cost[files == 4].end());
            EXPECT_EQ(files, recorder.Count(upload ? WM_APP_UPLOAD_FILE : WM_APP_DOWNLOAD_FILE));
        }
        size_t perThreeFiles = cost[1].size() - cost[0].size();
        EXPECT_EQ(upload ? 9u : 6u, perThreeFiles) << Joined(cost[0]) << "| " << Joined(cost[1]);
        EXPECT_LE(cost[0].size() - perThreeFiles / 3, upload ? 5u : 6u) << Joined(cost[0]);
    }
}

// Opening a folder by its full path as the view does: CWD, EPSV and MLSD, no
// PWD, since the path is known already.
TEST_F(CommandCountTest, OpeningAFolderByItsPathCostsThreeCommands) {
    MakeFolder(true, L"open", 2);
    std::wstring path = L"/" + TestFolderName() + L"/open";
    std::vector<std::string> verbs = Cost([&] {
        ASSERT_EQ(S_OK, counted->SetCurrentDir(path.c_str()));
        WIN32_FIND_DATAW data;
        int listed = 0;
        for (HRESULT found = counted->FindFirst(&data); found == S_OK;
             found = counted->FindNext(&data))
            ++listed;
        counted->FindClose();
        EXPECT_EQ(2, listed);
    });
    EXPECT_EQ("CWD EPSV MLSD ", Joined(verbs));
}

}  // namespace
