// Entry point of every test program: the environment the show's tests run in (no X server,
// no sound card, Mesa's software renderer), unless the caller set it otherwise.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

// Cases that move into a folder of their own (a data set with files missing, none at all)
// leave the working directory behind them: every case starts where the program started.
class RestoreWorkingDirectory : public testing::EmptyTestEventListener {
 public:
  RestoreWorkingDirectory() {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) start_ = cwd;
  }
  void OnTestEnd(const testing::TestInfo&) override {
    if (!start_.empty() && chdir(start_.c_str()) != 0) std::abort();
  }

 private:
  std::string start_;
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Windows' SDL has no offscreen driver that gives GL: the GL cases open a hidden window
  // (support/gl_context.cpp), which under Wine needs the X display it was started on.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
#else
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  // No desktop: a message box raised by a test must never wait for a click.
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
#endif
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new RestoreWorkingDirectory);
  return RUN_ALL_TESTS();
}
