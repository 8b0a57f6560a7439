#include "shell/memory_limit.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace quorel {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k]))) return false;
  }
  return true;
}

// The power of 1024 a unit letter stands for; -1 for no unit letter.
int UnitPower(char letter) {
  switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'K': return 1;
    case 'M': return 2;
    case 'G': return 3;
    case 'T': return 4;
    default: return -1;
  }
}

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// What the refused storage is, as the refusal line names it.
const char* StorageName(StorageKind kind) {
  switch (kind) {
    case StorageKind::kMatrixList:
    case StorageKind::kMatrixSlot: return "the relation matrices of the semigroup";
    case StorageKind::kWorkingRecords: return "the semigroup's working records";
    case StorageKind::kMultTable: return "the multiplication table";
    case StorageKind::kWordTable: return "the word table";
    case StorageKind::kPartialOrder: return "the partial order";
    case StorageKind::kStatistic: return "a statistic matrix";
    case StorageKind::kSamplerBuffer:
    case StorageKind::kShuffleWork: return "the samplers' buffers";
    case StorageKind::kOmega: return "Omega";
    case StorageKind::kQueueNode: return "the pending inclusions of a closure";
    case StorageKind::kScratchRelation: return "the scratch relations of a closure";
    case StorageKind::kFactorTable: return "the factor table";
    case StorageKind::kExtension: return "an extension of the factor table";
    default: return "the input";
  }
}

// What would make the refused storage smaller or leave it out.
const char* Remedy(StorageKind kind) {
  switch (kind) {
    case StorageKind::kFactorTable:
    case StorageKind::kExtension:
      return "leaving out --factor-omega and --factor-lower-omega, a shorter --max-word-length or a larger "
             "--memory-limit would avoid it";
    case StorageKind::kSamplerBuffer:
    case StorageKind::kShuffleWork:
      return "--permutation-strategy pairs, a shorter --max-word-length or a larger --memory-limit would reduce it";
    default:
      return "a shorter --max-word-length, --generator-products-only or a larger --memory-limit would reduce it";
  }
}

}  // namespace

std::optional<std::uint64_t> ParseMemorySize(std::string_view text) {
  if (SameLetters(text, "none")) return 0;
  std::size_t k = 0;
  std::uint64_t value = 0;
  while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]))) {
    const std::uint64_t digit = static_cast<std::uint64_t>(text[k] - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
    ++k;
  }
  if (k == 0) return std::nullopt;
  if (k == text.size()) return value;
  const int power = UnitPower(text[k]);
  if (power < 0) return std::nullopt;
  const std::string_view rest = text.substr(k + 1);
  if (!rest.empty() && !SameLetters(rest, "B") && !SameLetters(rest, "iB")) return std::nullopt;
  for (int p = 0; p < power; ++p) {
    if (value > UINT64_MAX / 1024) return std::nullopt;
    value *= 1024;
  }
  return value;
}

std::optional<std::uint64_t> MemAvailableOf(std::string_view meminfo) {
  std::istringstream lines{std::string(meminfo)};
  for (std::string line; std::getline(lines, line);) {
    unsigned long long kib = 0;
    char unit[8] = "";
    if (std::sscanf(line.c_str(), "MemAvailable: %llu %7s", &kib, unit) >= 1) {
      return static_cast<std::uint64_t>(kib) * 1024;
    }
  }
  return std::nullopt;
}

std::uint64_t DefaultMemoryBudget(std::uint64_t available) {
  const std::uint64_t margin = std::max(available / 10, 256 * kMiB);
  const std::uint64_t half = available / 2;
  return available > margin && available - margin > half ? available - margin : half;
}

std::uint64_t AvailableMemory() {
  std::ifstream in("/proc/meminfo");
  if (in) {
    std::ostringstream text;
    text << in.rdbuf();
    if (const std::optional<std::uint64_t> available = MemAvailableOf(text.str())) return *available;
  }
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long page = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || page <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page);
}

std::string DescribeBytes(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  double value = static_cast<double>(bytes) / 1024.0;
  int unit = 0;
  while (value >= 1024.0 && unit < 5) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::string MemoryRefusalLine(const MemoryRefusal& refusal) {
  return "quorel: the storage for " + std::string(StorageName(refusal.kind)) + " needs " + DescribeBytes(refusal.needed) + " (" +
         std::to_string(refusal.needed) + " bytes) with " + DescribeBytes(refusal.in_use) +
         " in use, but the memory budget is " + DescribeBytes(refusal.budget) + " (--memory-limit); " +
         Remedy(refusal.kind) + ".";
}

}  // namespace quorel
