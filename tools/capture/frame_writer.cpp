// The capture's writer thread and its small queue of frame buffers.
#include "frame_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <png.h>

#include "frame_output.h"
#include "png_writer.h"

namespace {

constexpr int BUFFERS = 3;          // one being drawn into, up to two waiting or being written

struct Job {
  std::vector<unsigned char>* frame;
  long index;
  std::string pngPath;
  bool toVideo;
};

std::mutex lock;
std::condition_variable changed;
std::vector<std::vector<unsigned char>> buffers;
std::deque<std::vector<unsigned char>*> freeBuffers;
std::deque<Job> jobs;
bool stopping;
std::string failure;
long videoFailure;
std::thread writer;
int pngLevel = -1, pngFilters = -1;
FILE* videoPipe;

void fail(const std::string& message) {
  std::lock_guard<std::mutex> guard(lock);
  if (failure.empty()) failure = message;
}

void writeJobs() {
  std::vector<unsigned char> upright((size_t)frameSizes.width * frameSizes.height * 3);
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [] { return stopping || !jobs.empty(); });
      if (jobs.empty()) return;
      job = jobs.front();
      jobs.pop_front();
    }
    frameFromPicture(job.frame->data(), upright.data());
    {
      std::lock_guard<std::mutex> guard(lock);
      freeBuffers.push_back(job.frame);
    }
    changed.notify_all();
    if (!job.pngPath.empty() && !writeRgbPng(job.pngPath, upright.data(), frameSizes.width, frameSizes.height, pngLevel,
                                                pngFilters))
      fail("cannot write '" + job.pngPath + "' (frame " + std::to_string(job.index) + ")" +
           (diskFull(job.pngPath) ? ": the disk is full" : ""));
    // After ffmpeg has stopped, every write fails at once (SIGPIPE is ignored): no frame
    // goes to the pipe after the first that did not.
    if (job.toVideo && videoFailure < 0 &&
        std::fwrite(upright.data(), 1, upright.size(), videoPipe) != upright.size()) {
      {
        std::lock_guard<std::mutex> guard(lock);
        videoFailure = job.index;
      }
      fail("ffmpeg stopped taking frames");
    }
  }
}

}  // namespace

void startFrameWriter(bool fastPng, FILE* video) {
  pngLevel = fastPng ? 1 : -1;
  pngFilters = fastPng ? PNG_FILTER_UP : -1;
  videoPipe = video;
  stopping = false;
  failure.clear();
  videoFailure = -1;
  buffers.assign(BUFFERS,
                 std::vector<unsigned char>((size_t)frameSizes.pictureWidth * frameSizes.pictureHeight * 3));
  freeBuffers.clear();
  for (auto& buffer : buffers) freeBuffers.push_back(&buffer);
  writer = std::thread(writeJobs);
}

std::vector<unsigned char>* frameWriterBuffer() {
  std::unique_lock<std::mutex> guard(lock);
  changed.wait(guard, [] { return !freeBuffers.empty(); });
  std::vector<unsigned char>* buffer = freeBuffers.front();
  freeBuffers.pop_front();
  return buffer;
}

void submitFrame(std::vector<unsigned char>* frame, long index, const std::string& pngPath,
                 bool toVideo, std::vector<unsigned char>* upright) {
  if (upright) frameFromPicture(frame->data(), upright->data());
  {
    std::lock_guard<std::mutex> guard(lock);
    if (pngPath.empty() && !toVideo)
      freeBuffers.push_back(frame);
    else
      jobs.push_back({frame, index, pngPath, toVideo});
  }
  changed.notify_all();
}

std::string frameWriterFailure() {
  std::lock_guard<std::mutex> guard(lock);
  return failure;
}

long frameWriterVideoFailure() {
  std::lock_guard<std::mutex> guard(lock);
  return videoFailure;
}

bool stopFrameWriter() {
  {
    std::lock_guard<std::mutex> guard(lock);
    stopping = true;
  }
  changed.notify_all();
  if (writer.joinable()) writer.join();
  return frameWriterFailure().empty();
}
