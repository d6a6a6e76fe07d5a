// PNG files, the video pipe and its ffmpeg, and the contact sheet of the capture tool.
#include "frame_output.h"

#include "png_writer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
extern char** environ;
#endif

FrameSizes frameSizes = {1024, 768, 1024, 768};

void frameFromPicture(const unsigned char* bottomUp, unsigned char* upright) {
  const FrameSizes& f = frameSizes;
  int left = (f.width - f.pictureWidth) / 2, top = (f.height - f.pictureHeight) / 2;
  size_t frameRow = (size_t)f.width * 3, pictureRow = (size_t)f.pictureWidth * 3;
  if (left > 0 || top > 0) std::memset(upright, 0, frameRow * f.height);
  for (int y = 0; y < f.pictureHeight; ++y)
    std::memcpy(upright + (size_t)(top + y) * frameRow + (size_t)left * 3,
                bottomUp + (size_t)(f.pictureHeight - 1 - y) * pictureRow, pictureRow);
}

#ifdef _WIN32
// Where CreateProcess finds a program by its bare name, the folders of PATH (';' between
// them), with each of PATHEXT's endings.
bool commandExists(const char* name) {
  const char* path = std::getenv("PATH");
  const char* endings = std::getenv("PATHEXT");
  std::string pathList = path ? path : "", endingList = endings && *endings ? endings : ".COM;.EXE;.BAT;.CMD";
  auto split = [](const std::string& list) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= list.size()) {
      size_t end = list.find(';', begin);
      if (end == std::string::npos) end = list.size();
      std::string part = list.substr(begin, end - begin);
      if (part.size() >= 2 && part.front() == '"' && part.back() == '"') part = part.substr(1, part.size() - 2);
      if (!part.empty()) parts.push_back(part);
      begin = end + 1;
    }
    return parts;
  };
  std::error_code error;
  for (const std::string& folder : split(pathList))
    for (const std::string& ending : split(endingList))
      if (std::filesystem::is_regular_file(std::filesystem::path(folder) / (std::string(name) + ending), error))
        return true;
  return false;
}

// The room left to this user on the file system that holds `place` (a folder); false when
// it cannot be found out.
static bool freeRoom(const std::filesystem::path& place, unsigned long long* room) {
  std::error_code error;
  std::filesystem::space_info space = std::filesystem::space(place, error);
  if (error) return false;
  *room = space.available;
  return true;
}
#else
bool commandExists(const char* name) {
  std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

static bool freeRoom(const std::filesystem::path& place, unsigned long long* room) {
  struct statvfs disk {};
  if (statvfs(place.c_str(), &disk) != 0) return false;
  *room = (unsigned long long)disk.f_bavail * disk.f_frsize;
  return true;
}
#endif

bool diskFull(const std::string& path) {
  std::filesystem::path place(path);
  std::error_code error;
  if (!std::filesystem::is_directory(place, error)) place = place.parent_path();
  if (place.empty()) place = ".";
  unsigned long long room = 0;
  return freeRoom(place, &room) && room < 4ull * frameSizes.width * frameSizes.height;
}

namespace {

long videoProcess = -1;     // the encoding ffmpeg, -1 while none runs
int ffmpegMessages = -1;    // its standard error: a temporary file, already unlinked

#ifdef _WIN32
// A file that vanishes with its last handle (ffmpeg's copy included); -1 when none can be made.
int anonymousFile() {
  char folder[MAX_PATH + 1], name[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > sizeof folder || GetTempFileNameA(folder, "cap", 0, name) == 0) return -1;
  int fd = _open(name, _O_RDWR | _O_BINARY | _O_TEMPORARY | _O_NOINHERIT);
  if (fd < 0) DeleteFileA(name);
  return fd;
}

// One argument as the C runtime's command-line parser reads it back: in quotes where it
// has a space, a tab or a quote (or is empty), each quote escaped, and the backslashes
// before a quote or the closing quote doubled.
std::string quoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

// An inheritable copy of a C runtime descriptor's handle, or of a standard handle.
HANDLE inheritableCopy(HANDLE handle) {
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

HANDLE descriptorHandle(int fd, DWORD standard) {
  return fd >= 0 ? (HANDLE)_get_osfhandle(fd) : GetStdHandle(standard);
}

// The one place that starts a process, and the one that waits for it. Starts `args` (the
// program found on PATH) with `input` as its standard input and `messages` as its standard
// error (-1: the capture's own), in a process group of its own and without the capture's
// console, so that neither the console's Ctrl-C and Ctrl-Break nor its closing reach it:
// the capture ends it by closing its input. Only the three standard handles are inherited
// (every descriptor of the capture's own is made without inheritance). The process handle,
// which Windows keeps within 32 bits, or -1.
long startProcess(const std::vector<std::string>& args, int input, int messages) {
  std::string commandLine;
  for (const std::string& arg : args) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += quoteArgument(arg);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inheritableCopy(descriptorHandle(input, STD_INPUT_HANDLE));
  startup.hStdOutput = inheritableCopy(GetStdHandle(STD_OUTPUT_HANDLE));
  startup.hStdError = inheritableCopy(descriptorHandle(messages, STD_ERROR_HANDLE));
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (handle) CloseHandle(handle);
  if (!started) return -1;
  CloseHandle(process.hThread);
  return (long)(intptr_t)process.hProcess;
}

// Its exit code once it has ended; -1 when it was ended by an exception (a crash) or cannot
// be waited for.
int waitProcess(long process) {
  HANDLE handle = (HANDLE)(intptr_t)process;
  DWORD code = 0;
  bool ended = WaitForSingleObject(handle, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(handle, &code);
  CloseHandle(handle);
  return ended && code < 0xC0000000u ? (int)code : -1;
}

// The frames' pipe: neither end inherited (ffmpeg gets its own copy of the reading end).
bool makePipe(int ends[2]) { return _pipe(ends, 1 << 20, _O_BINARY | _O_NOINHERIT) == 0; }

// Up to `size` bytes of `fd` from `offset`.
long readAt(int fd, char* text, size_t size, long long offset) {
  if (_lseeki64(fd, offset, SEEK_SET) < 0) return -1;
  return _read(fd, text, (unsigned)size);
}

// The messages file emptied; ffmpeg's copy of the handle shares its position, set back to 0.
bool emptyFile(int fd) { return _chsize(fd, 0) == 0 && _lseeki64(fd, 0, SEEK_SET) == 0; }

// Windows' rename does not replace a file: MoveFileEx does.
bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
#else
// A file that vanishes with its last descriptor; -1 when none can be made.
int anonymousFile() {
  const char* folder = std::getenv("TMPDIR");
  std::string name = std::string(folder && *folder ? folder : "/tmp") + "/capture-ffmpeg-XXXXXX";
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) unlink(name.c_str());
  return fd;
}

// The one place that starts a process, and the one that waits for it: a port to a system
// without POSIX processes replaces these two. Starts `args` (the program found on PATH) in a
// process group of its own, so that the terminal's Ctrl-C does not reach it, with `input` as
// its standard input and `messages` as its standard error (-1: the capture's own). SIGPIPE,
// which the capture ignores, is back to its default there. The process id, or -1.
long startProcess(const std::vector<std::string>& args, int input, int messages) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0) posix_spawn_file_actions_adddup2(&actions, input, 0);
  if (messages >= 0) posix_spawn_file_actions_adddup2(&actions, messages, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? (long)pid : -1;
}

// Its exit status once it has ended; -1 when a signal ended it.
int waitProcess(long process) {
  int status = 0;
  while (waitpid((pid_t)process, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool makePipe(int ends[2]) { return pipe2(ends, O_CLOEXEC) == 0; }

long readAt(int fd, char* text, size_t size, long long offset) { return pread(fd, text, size, (off_t)offset); }

bool emptyFile(int fd) { return ftruncate(fd, 0) == 0; }

bool replaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

// ffmpeg names files through its protocols: "file:" keeps a name with a colon a plain file.
std::string ffmpegFile(const std::string& path) { return "file:" + path; }

}  // namespace

FILE* openVideoPipe(const std::string& path, int fps, const std::string& audioPath, int audioOffsetMs,
                    bool fastEncoder) {
  std::vector<std::string> args = {"ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo",
                                   "-pix_fmt", "rgb24", "-s",
                                   std::to_string(frameSizes.width) + "x" + std::to_string(frameSizes.height),
                                   "-framerate", std::to_string(fps), "-i", "-"};
  if (!audioPath.empty()) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "%.3f", audioOffsetMs / 1000.0);
    args.insert(args.end(), {"-ss", offset, "-i", ffmpegFile(audioPath), "-map", "0:v:0", "-map",
                             "1:a:0", "-c:a", "aac", "-b:a", "192k", "-shortest"});
  }
  // A fragment starts at each key frame and after a second at most: the encoder's own key
  // frames are further apart, and a fragment needs none to start. The index at the front
  // waits for the first fragment, so that it knows where each stream starts (the sound's
  // encoder delay) and keeps the timing an ordinary MP4 has.
  args.insert(args.end(), {"-c:v", "libx264", "-preset", fastEncoder ? "ultrafast" : "veryfast",
                           "-crf", "18", "-pix_fmt", "yuv420p", "-r", std::to_string(fps),
                           "-movflags", "+frag_keyframe+delay_moov+default_base_moof",
                           "-frag_duration", "1000000", ffmpegFile(path)});
  int frames[2];
  if (!makePipe(frames)) return nullptr;
  if (ffmpegMessages < 0) ffmpegMessages = anonymousFile();
  videoProcess = startProcess(args, frames[0], ffmpegMessages);
  close(frames[0]);
  FILE* pipe = videoProcess >= 0 ? fdopen(frames[1], "wb") : nullptr;
  if (!pipe) {
    close(frames[1]);
    if (videoProcess >= 0) waitProcess(videoProcess);
    videoProcess = -1;
  }
  return pipe;
}

bool closeVideoPipe(FILE* pipe) {
  if (!pipe) return false;
  bool closed = std::fclose(pipe) == 0;
  int status = videoProcess >= 0 ? waitProcess(videoProcess) : -1;
  videoProcess = -1;
  return closed && status == 0;
}

std::string videoEncoderLastLine() {
  if (ffmpegMessages < 0) return "";
  struct stat file {};
  if (fstat(ffmpegMessages, &file) != 0 || file.st_size <= 0) return "";
  long long size = file.st_size;
  std::string text((size_t)(size < 65536 ? size : 65536), '\0');
  long got = readAt(ffmpegMessages, text.data(), text.size(), size - (long long)text.size());
  text.resize(got > 0 ? (size_t)got : 0);
  // The last line that says something; ffmpeg's closing summary says only that it failed.
  std::string last;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line != "Conversion failed!") last = line;
    begin = end + 1;
  }
  return last;
}

std::string finishVideo(const std::string& path) {
  struct stat file {};
  if (stat(path.c_str(), &file) != 0) return "it cannot be read";
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  unsigned long long room = 0;
  if (freeRoom(folder.empty() ? std::filesystem::path(".") : folder, &room)) {
    // The copy, a little more for the index moved to the front, and room to spare.
    unsigned long long needed = (unsigned long long)file.st_size + file.st_size / 50 + (1u << 20);
    if (room < needed) {
      char reason[128];
      std::snprintf(reason, sizeof reason, "its final pass needs %.1f MB free beside it, %.1f MB are",
                    needed / 1e6, room / 1e6);
      return reason;
    }
  }
  std::string temporary = path + ".remux" + std::filesystem::path(path).extension().string();
  if (ffmpegMessages < 0) ffmpegMessages = anonymousFile();
  if (ffmpegMessages >= 0 && !emptyFile(ffmpegMessages)) return "its messages cannot be kept";
  // The timestamps copied as they are: the sound starts before the picture by its encoder's
  // delay, and a copy that made them start at 0 would move the whole picture by that.
  long process = startProcess({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", ffmpegFile(path),
                               "-map", "0", "-c", "copy", "-copyts", "-movflags", "+faststart",
                               ffmpegFile(temporary)},
                              -1, ffmpegMessages);
  if (process < 0) return "ffmpeg could not be started for its final pass";
  if (waitProcess(process) != 0) {
    std::remove(temporary.c_str());
    std::string line = videoEncoderLastLine();
    return "its final pass failed" + (line.empty() ? std::string() : ": " + line);
  }
  if (!replaceFile(temporary, path)) {
    std::remove(temporary.c_str());
    return "the finished copy could not replace it";
  }
  return "";
}

// Box-filters an upright output frame down by an integer factor into `out` at (x0, y0).
static void shrinkInto(const unsigned char* frame, int factor, unsigned char* out, int outWidth,
                       int x0, int y0) {
  const int frameWidth = frameSizes.width;
  int w = frameWidth / factor, h = frameSizes.height / factor;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy)
          for (int dx = 0; dx < factor; ++dx)
            sum += frame[((size_t)(y * factor + dy) * frameWidth + x * factor + dx) * 3 + c];
        out[((size_t)(y0 + y) * outWidth + x0 + x) * 3 + c] = (unsigned char)(sum / (factor * factor));
      }
}

// Draws white text with a dark shadow at (x, baseline) into an RGB picture.
static void drawLabel(FT_Face face, const std::string& text, unsigned char* out, int width,
                      int height, int x, int baseline) {
  for (int pass = 0; pass < 2; ++pass) {
    int penX = x + (pass == 0 ? 1 : 0), penY = baseline + (pass == 0 ? 1 : 0);
    unsigned char shade = pass == 0 ? 0 : 255;
    for (unsigned char ch : text) {
      if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
      FT_GlyphSlot g = face->glyph;
      for (unsigned row = 0; row < g->bitmap.rows; ++row)
        for (unsigned col = 0; col < g->bitmap.width; ++col) {
          int px = penX + g->bitmap_left + (int)col, py = penY - g->bitmap_top + (int)row;
          if (px < 0 || py < 0 || px >= width || py >= height) continue;
          int a = g->bitmap.buffer[row * g->bitmap.pitch + col];
          unsigned char* p = out + ((size_t)py * width + px) * 3;
          for (int c = 0; c < 3; ++c) p[c] = (unsigned char)((p[c] * (255 - a) + shade * a) / 255);
        }
      penX += (int)(g->advance.x >> 6);
    }
  }
}

bool writeContactSheet(const std::string& path, const std::vector<SheetCell>& cells, int columns) {
  // Cells about 256 pixels wide whatever the frame's size: 4 to 1 at 1024x768.
  const int factor = frameSizes.width / 256 > 1 ? frameSizes.width / 256 : 1, gap = 8;
  const int cellW = frameSizes.width / factor, cellH = frameSizes.height / factor;
  int rows = ((int)cells.size() + columns - 1) / columns;
  int width = columns * cellW + (columns + 1) * gap, height = rows * cellH + (rows + 1) * gap;
  std::vector<unsigned char> sheet((size_t)width * height * 3, 24);

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool fonts = !FT_Init_FreeType(&library) &&
               !FT_New_Face(library, DEJAVU_FONT_DIR "/DejaVuSans-Bold.ttf", 0, &face) &&
               !FT_Set_Pixel_Sizes(face, 0, 15);
  for (size_t i = 0; i < cells.size(); ++i) {
    int x0 = gap + (int)(i % columns) * (cellW + gap), y0 = gap + (int)(i / columns) * (cellH + gap);
    shrinkInto(cells[i].rgb.data(), factor, sheet.data(), width, x0, y0);
    if (fonts) drawLabel(face, cells[i].label, sheet.data(), width, height, x0 + 6, y0 + 20);
  }
  if (face) FT_Done_Face(face);
  if (library) FT_Done_FreeType(library);
  return writeRgbPng(path, sheet.data(), width, height);
}
