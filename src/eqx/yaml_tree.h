// A YAML document as a light tree, built from the parser's events. A configuration may name a
// filter hundreds of thousands of times; the parser's own node graph costs hundreds of bytes and
// several allocations for each, this tree a string, and long sequences keep only their head.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ax7::eqx {

class YamlTree {
 public:
  enum class Kind { Missing, Null, Scalar, Sequence, Map };

  explicit operator bool() const { return kind_ != Kind::Missing; }
  bool IsScalar() const { return kind_ == Kind::Scalar; }
  bool IsSequence() const { return kind_ == Kind::Sequence; }
  bool IsMap() const { return kind_ == Kind::Map; }
  const std::string& Scalar() const { return scalar_; }
  int line() const { return line_; }  // 1-based, 0 when unknown

  // A map's value for a scalar key; a missing node otherwise.
  const YamlTree& operator[](const std::string& key) const;
  const std::vector<YamlTree>& items() const { return items_; }  // a sequence's, in order
  const std::vector<std::pair<std::string, YamlTree>>& entries() const { return entries_; }
  // Sequence items past kMaxItems: counted, not kept.
  long long droppedItems() const { return dropped_; }

  static constexpr size_t kMaxItems = 4096;

  // The first document of `text`; throws YAML::Exception when it is not YAML, or when its
  // aliases would copy more than a bounded number of nodes.
  static YamlTree parse(const std::string& text);

 private:
  friend class YamlTreeBuilder;
  Kind kind_ = Kind::Missing;
  int line_ = 0;
  std::string scalar_;
  std::vector<YamlTree> items_;
  std::vector<std::pair<std::string, YamlTree>> entries_;  // non-scalar keys are kept as ""
  long long dropped_ = 0;
};

}  // namespace ax7::eqx
