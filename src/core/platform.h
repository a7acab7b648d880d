#pragma once

namespace quill {

class DirectoryService;
class UncFileSystem;
class ShareService;

// The three services a run works on: the sandbox's or the network's. The
// pointers are borrowed from whoever opened the backends.
struct Platform {
  DirectoryService* directory = nullptr;
  UncFileSystem* files = nullptr;
  ShareService* shares = nullptr;
};

}  // namespace quill
