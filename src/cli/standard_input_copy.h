#pragma once

#include <istream>
#include <optional>
#include <string>

namespace cli {

// Standard input saved to a temporary file, so the run can read it like any source (title and
// author are read from the head first, then the whole text). The file is removed with the object.
class StandardInputCopy {
  public:
    // Null with the reason in `error` when the copy cannot be made.
    static std::optional<StandardInputCopy> make(std::istream& in, std::string& error);

    StandardInputCopy(StandardInputCopy&& other) noexcept;
    StandardInputCopy& operator=(StandardInputCopy&& other) noexcept;
    StandardInputCopy(const StandardInputCopy&) = delete;
    StandardInputCopy& operator=(const StandardInputCopy&) = delete;
    ~StandardInputCopy();

    const std::string& path() const { return m_path; }

  private:
    explicit StandardInputCopy(std::string path) : m_path(std::move(path)) {}

    std::string m_path; // empty once moved from
};

} // namespace cli
