#include "views/View_Launcher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>

extern char** environ;

bool ViewSpawn(const std::string& program, const std::vector<std::string>& args, pid_t* child, std::string* error) {
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = posix_spawnp(child, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (rc != 0) {
    if (error) *error = "cannot start " + program + ": " + std::strerror(rc);
    return false;
  }
  return true;
}

void ViewReapChildren(std::vector<pid_t>* children) {
  children->erase(std::remove_if(children->begin(), children->end(),
                                 [](pid_t pid) {
                                   int status = 0;
                                   return waitpid(pid, &status, WNOHANG) != 0;
                                 }),
                  children->end());
}
