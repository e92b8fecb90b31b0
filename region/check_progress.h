// How a check tells the blocks it has read and found whole, while it runs.
#pragma once

namespace geodata {

class CheckProgress {
 public:
  virtual ~CheckProgress() = default;
  // Block `block` (0..65535) has been read and checked. A read that is tried
  // again, because the file changed, starts again from block 0. May throw
  // to stop the check.
  virtual void Checked(int block) = 0;
};

// For a check nobody watches.
class NoProgress final : public CheckProgress {
 public:
  void Checked(int) override {}
};

}  // namespace geodata
