// Stage 9 of the evening: the host closes while the librarian fetches a whole bank
// from the unit. The close ends the transfer: the host returns well before the bank
// could have come in, leaves no thread running, and the data folder holds no file
// half-written.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "EveningSupport.h"
#include "LibrarianPageSupport.h"

namespace {

constexpr int kBankPrograms = 99;

// Every file below `folder` with a hash of its bytes.
std::map<std::string, size_t> Files(const std::string& folder) {
  std::map<std::string, size_t> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_regular_file()) continue;
    std::ifstream in(it->path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    files[it->path().string()] = std::hash<std::string>()(bytes);
  }
  return files;
}

}  // namespace

void EveningCloseMidTransfer(Evening& evening) {
  const PagePoints points = ReadPagePoints(0);
  ASSERT_GE(points.bankMenu.x, 0);
  // What a run leaves that closes with nothing running.
  std::string idle;
  evening.Run("idle.txt", "render 1\n", &idle);
  const int idleThreads = ThreadsAfterClose(idle);
  ASSERT_GT(idleThreads, 0) << idle;
  evening.data().write("Patches/Evening Close.syx", ProgramBank("Close"));
  const std::map<std::string, size_t> before = Files(evening.data().folder());
  const size_t from = evening.Received().size();
  // The request runs a few seconds, then the script ends and the host closes.
  const std::string script = ChoosePorts(Evening::kSimName) + "click " + std::to_string(points.pageSwitch.x) + " " +
                             std::to_string(points.pageSwitch.y) + "\nexpect-param " + std::to_string(kShowLibrarian) +
                             " 1\nchoose Request Patch Data/All Programs from BANK 0 (RAM)\nclick " +
                             std::to_string(points.bankMenu.x) + " " + std::to_string(points.bankMenu.y) +
                             "\nwait 3000\n";
  std::string output;
  const auto start = std::chrono::steady_clock::now();
  const int status = evening.Run("close.txt", script, &output);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // It ends by itself, every close call succeeding (its exit status also covers the
  // state round trip, in which the second instance lists the first one's ports).
  EXPECT_EQ(status, 0) << output;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    EXPECT_FALSE(line.rfind("tavro-host: ", 0) == 0 && line.find(" failed: ") != std::string::npos) << line;
  EXPECT_EQ(output.find("tavro-host: panel:"), std::string::npos) << output;
  // A close stuck on the transfer shows here; one that waited the bank out (a request
  // and its reply at least every 200 ms) shows in the count of requests.
  EXPECT_LT(seconds, 60.0) << output;
  const size_t requested = RequestedPrograms(evening.Received(from)).size();
  EXPECT_GT(requested, 3u) << "the transfer ran when the host closed";
  EXPECT_LT(requested, size_t(kBankPrograms)) << "the close waited the transfer out";
  EXPECT_EQ(ThreadsAfterClose(output), idleThreads) << output;
  // Nothing written while the transfer ran: no temporary left, no bank file changed.
  // What the fetch had stored is kept beside its bank, since the close could not ask.
  std::map<std::string, size_t> after = Files(evening.data().folder());
  size_t kept = 0;
  for (auto file = after.begin(); file != after.end();) {
    const bool unsaved = file->first.find(" (unsaved).nl2") != std::string::npos;
    kept += unsaved;
    file = unsaved ? after.erase(file) : std::next(file);
  }
  EXPECT_EQ(kept, 1u) << output;
  EXPECT_NE(output.find("Closed with unsaved bank changes: kept in"), std::string::npos) << output;
  EXPECT_EQ(after, before);
}
