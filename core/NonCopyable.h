#pragma once

namespace verimo {

// A private base for a class whose objects stand for something that must
// exist once (an open file, a handle, a run in progress, a registration
// undone on destruction): copying or assigning one does not compile. Moving
// is not offered either; a class that wants it declares its own.
class TNonCopyable {
 public:
  TNonCopyable(const TNonCopyable&) = delete;
  TNonCopyable& operator=(const TNonCopyable&) = delete;

 protected:
  TNonCopyable() = default;
  ~TNonCopyable() = default;
};

}  // namespace verimo
