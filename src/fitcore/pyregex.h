#pragma once
// Regular expressions with the semantics of Python's `re` on str patterns:
// UTF-8 text, Unicode \b \d \s \w, optional IGNORECASE. Built on PCRE2.
// Invalid UTF-8 in a subject never matches a character class or a literal;
// it is kept unchanged by sub().
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

struct RegexMatch {
  std::size_t start = 0;  // byte offsets of the whole match
  std::size_t end = 0;
  std::vector<std::string> groups;  // group 1..n ("" for a group that took no part)
};

class TRELVO_EXPORT PyRegex {
 public:
  // Compiles `pattern`; throws trelvo::Error (ValueError) with PCRE2's text
  // when it is not a valid pattern.
  explicit PyRegex(std::string_view pattern, bool ignore_case = false);
  ~PyRegex();
  PyRegex(PyRegex&&) noexcept;
  PyRegex& operator=(PyRegex&&) noexcept;
  PyRegex(const PyRegex&) = delete;
  PyRegex& operator=(const PyRegex&) = delete;

  // re.search: the first match at or after byte `from`.
  std::optional<RegexMatch> search(std::string_view subject, std::size_t from = 0) const;
  bool matches_anywhere(std::string_view subject) const { return search(subject).has_value(); }

  // re.findall: the whole matches when the pattern has no group, else group 1.
  std::vector<std::string> findall(std::string_view subject) const;

  // re.sub with a literal replacement (no group references) or a function.
  std::string sub(std::string_view subject, std::string_view replacement) const;
  std::string sub(std::string_view subject,
                  const std::function<std::string(const RegexMatch&)>& replace) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Python's re.escape: a backslash before each of ()[]{}?*+-|^$\.&~# and
// the whitespace characters space, \t \n \r \v \f.
TRELVO_EXPORT std::string regex_escape(std::string_view text);

}  // namespace trelvo
