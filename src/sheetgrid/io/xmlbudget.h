#pragma once
// What parsing the XML parts of one workbook load may cost, for all its parts
// together.
#include <QString>
#include <QtGlobal>

#include <optional>

#include "fitcore/limits.h"

namespace trelvo::io {

// The allowance of one load, as limits.h states it; tests scale it down.
struct XmlAllowance {
  qint64 base_elements = limits::kXmlBaseElements;
  qint64 base_passed_over = limits::kXmlBasePassedOverChars;
  qint64 elements_per_value = limits::kXmlElementsPerValue;
  qint64 passed_over_per_value = limits::kXmlPassedOverCharsPerValue;
  qint64 description_elements = limits::kMaxXmlDescriptionElements;
  qint64 description_passed_over = limits::kMaxXmlDescriptionPassedOverChars;
};

// Counts the elements and the characters passed over (blanks between tags,
// comments, processing instructions, text the reader does not read, the text
// of attributes) of every part one load reads. The load may hold the base of elements and characters
// plus a share for each value it has read so far; the parts that only
// describe the sheet may, together, hold no more than their own caps (which
// count towards the load as well). A copy goes on from where the original
// stood.
class XmlBudget {
 public:
  enum class Part { Description, Values };

  explicit XmlBudget(const XmlAllowance& allowance = XmlAllowance()) : allowance_(allowance) {}

  // `count` more values read: cells of the sheet that hold a value, and the
  // shared strings such cells read.
  void add_values(qint64 count) { values_ += count; }

  // One more start element, or `chars` more characters passed over, in a part
  // of kind `part`: the text of the refusal once the load passes its
  // allowance, nothing while within it.
  std::optional<QString> element(Part part) {
    ++elements_;
    if (part == Part::Description && ++description_elements_ > allowance_.description_elements) {
      return description_refusal(kElements, allowance_.description_elements);
    }
    if (elements_ > allowance_.base_elements + allowance_.elements_per_value * values_) {
      return load_refusal(kElements, allowance_.base_elements, allowance_.elements_per_value);
    }
    return std::nullopt;
  }
  std::optional<QString> passed_over(Part part, qint64 chars) {
    passed_over_ += chars;
    if (part == Part::Description && (description_passed_over_ += chars) > allowance_.description_passed_over) {
      return description_refusal(kPassedOver, allowance_.description_passed_over);
    }
    if (passed_over_ > allowance_.base_passed_over + allowance_.passed_over_per_value * values_) {
      return load_refusal(kPassedOver, allowance_.base_passed_over, allowance_.passed_over_per_value);
    }
    return std::nullopt;
  }
  // `chars` characters of a start tag's attribute text, in a part of any
  // kind: passed over for the load, but not for the caps of the parts that
  // describe the sheet, whose many short attributes (a style's) are no
  // filler.
  std::optional<QString> attribute_text(qint64 chars) { return passed_over(Part::Values, chars); }

 private:
  static constexpr const char* kElements = "elements";
  static constexpr const char* kPassedOver = "characters of blanks, comments and unread text";
  QString description_refusal(const char* what, qint64 cap) const;
  QString load_refusal(const char* what, qint64 base, qint64 per_value) const;

  XmlAllowance allowance_;
  qint64 values_ = 0;
  qint64 elements_ = 0;
  qint64 passed_over_ = 0;
  qint64 description_elements_ = 0;
  qint64 description_passed_over_ = 0;
};

}  // namespace trelvo::io
