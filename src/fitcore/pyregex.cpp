#include "fitcore/pyregex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "fitcore/errors.h"
#include "fitcore/utf8.h"

namespace trelvo {

struct PyRegex::Impl {
  pcre2_code* code = nullptr;
  std::uint32_t capture_count = 0;
  ~Impl() { pcre2_code_free(code); }
};

PyRegex::PyRegex(std::string_view pattern, bool ignore_case) : impl_(std::make_unique<Impl>()) {
  std::uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;
  if (ignore_case) options |= PCRE2_CASELESS;
  int error = 0;
  PCRE2_SIZE offset = 0;
  impl_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                              &error, &offset, nullptr);
  if (!impl_->code) {
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(error, buffer, sizeof buffer);
    raise(ErrorKind::ValueError, reinterpret_cast<const char*>(buffer));
  }
  pcre2_jit_compile(impl_->code, PCRE2_JIT_COMPLETE);
  pcre2_pattern_info(impl_->code, PCRE2_INFO_CAPTURECOUNT, &impl_->capture_count);
}

PyRegex::~PyRegex() = default;
PyRegex::PyRegex(PyRegex&&) noexcept = default;
PyRegex& PyRegex::operator=(PyRegex&&) noexcept = default;

namespace {

struct MatchData {
  pcre2_match_data* data;
  explicit MatchData(const pcre2_code* code) : data(pcre2_match_data_create_from_pattern(code, nullptr)) {
    if (!data) raise(ErrorKind::MemoryError, "");
  }
  ~MatchData() { pcre2_match_data_free(data); }
};

}  // namespace

std::optional<RegexMatch> PyRegex::search(std::string_view subject, std::size_t from) const {
  if (from > subject.size()) return std::nullopt;
  MatchData md(impl_->code);
  int rc = pcre2_match(impl_->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), from,
                       0, md.data, nullptr);
  if (rc == PCRE2_ERROR_NOMATCH) return std::nullopt;
  if (rc < 0) {
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(rc, buffer, sizeof buffer);
    raise(ErrorKind::RuntimeError, reinterpret_cast<const char*>(buffer));
  }
  PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md.data);
  RegexMatch m;
  m.start = ov[0];
  m.end = ov[1];
  for (std::uint32_t g = 1; g <= impl_->capture_count; ++g) {
    if (static_cast<int>(g) < rc && ov[2 * g] != PCRE2_UNSET)
      m.groups.emplace_back(subject.substr(ov[2 * g], ov[2 * g + 1] - ov[2 * g]));
    else
      m.groups.emplace_back();
  }
  return m;
}

namespace {

// Where the next search starts after `m`: past an empty match by one whole
// UTF-8 character, as Python steps past an empty match.
std::size_t next_start(std::string_view s, const RegexMatch& m) {
  if (m.end > m.start) return m.end;
  return m.end < s.size() ? m.end + utf8::decode(s, m.end).length : m.end + 1;
}

}  // namespace

std::vector<std::string> PyRegex::findall(std::string_view subject) const {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (auto m = search(subject, pos)) {
    if (impl_->capture_count == 0)
      out.emplace_back(subject.substr(m->start, m->end - m->start));
    else
      out.push_back(m->groups[0]);
    pos = next_start(subject, *m);
    if (pos > subject.size()) break;
  }
  return out;
}

std::string PyRegex::sub(std::string_view subject, std::string_view replacement) const {
  return sub(subject, [&](const RegexMatch&) { return std::string(replacement); });
}

std::string PyRegex::sub(std::string_view subject,
                         const std::function<std::string(const RegexMatch&)>& replace) const {
  std::string out;
  std::size_t copied = 0;
  std::size_t pos = 0;
  while (auto m = search(subject, pos)) {
    out.append(subject.substr(copied, m->start - copied));
    out += replace(*m);
    copied = m->end;
    pos = next_start(subject, *m);
    if (pos > subject.size()) break;
  }
  out.append(subject.substr(copied));
  return out;
}

std::string regex_escape(std::string_view text) {
  static constexpr std::string_view special = "()[]{}?*+-|^$\\.&~# \t\n\r\v\f";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (special.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

}  // namespace trelvo
