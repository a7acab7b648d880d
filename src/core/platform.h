#pragma once

namespace quill {

class DirectoryService;
class UncFileSystem;
class ShareService;

// Marks where the changes made for one person of the list begin and end, for
// backends that can keep them all or nothing: the sandbox takes back the
// changes of a person that a kill cut off, so a later run makes that person
// whole again instead of finding half of it.
class PersonChanges {
 public:
  virtual ~PersonChanges() = default;
  virtual void personBegins() = 0;
  virtual void personEnds() = 0;
};

// The services a run works on: the sandbox's or the network's. The pointers
// are borrowed from whoever opened the backends; persons may be nullptr.
struct Platform {
  DirectoryService* directory = nullptr;
  UncFileSystem* files = nullptr;
  ShareService* shares = nullptr;
  PersonChanges* persons = nullptr;
};

}  // namespace quill
