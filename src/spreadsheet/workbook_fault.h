#pragma once
// Inside the readers a fault is raised with what went wrong; the workbook
// turns it into an EWorkbookError that names the file.
#include <stdexcept>
#include <string>

namespace sk {

enum class FaultKind { NotWorkbook, Encrypted, Damaged };

class WorkbookFault : public std::runtime_error {
  public:
    WorkbookFault(FaultKind kind, const std::string& detail)
        : std::runtime_error(detail), kind_(kind) {}
    FaultKind kind() const { return kind_; }

  private:
    FaultKind kind_;
};

[[noreturn]] inline void damaged(const std::string& detail) {
    throw WorkbookFault(FaultKind::Damaged, detail);
}

// The operator's message for a fault in the workbook called `name`.
std::string faultMessage(const WorkbookFault& fault, const std::string& name);

}  // namespace sk
