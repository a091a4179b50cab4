#include "eqx/yaml_tree.h"

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/exceptions.h>
#include <yaml-cpp/parser.h>

#include <map>
#include <sstream>

namespace ax7::eqx {

namespace {

// Nodes built in all, aliases' copies included: an alias of an alias of ... doubles each time.
constexpr long long kMaxNodes = 2'000'000;

}  // namespace

class YamlTreeBuilder final : public YAML::EventHandler {
 public:
  YamlTree root;

  void OnDocumentStart(const YAML::Mark&) override {}
  void OnDocumentEnd() override { done_ = true; }
  void OnNull(const YAML::Mark& mark, YAML::anchor_t anchor) override {
    YamlTree n;
    n.kind_ = YamlTree::Kind::Null;
    add(std::move(n), mark, anchor);
  }
  void OnAlias(const YAML::Mark& mark, YAML::anchor_t anchor) override {
    const auto it = anchors_.find(anchor);
    YamlTree n = it == anchors_.end() ? YamlTree() : it->second;
    if (it == anchors_.end()) n.kind_ = YamlTree::Kind::Null;
    count(size(n));
    add(std::move(n), mark, 0);
  }
  void OnScalar(const YAML::Mark& mark, const std::string&, YAML::anchor_t anchor,
                const std::string& value) override {
    YamlTree n;
    n.kind_ = YamlTree::Kind::Scalar;
    n.scalar_ = value;
    add(std::move(n), mark, anchor);
  }
  void OnSequenceStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t anchor,
                       YAML::EmitterStyle::value) override {
    open(YamlTree::Kind::Sequence, mark, anchor);
  }
  void OnSequenceEnd() override { close(); }
  void OnMapStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t anchor,
                  YAML::EmitterStyle::value) override {
    open(YamlTree::Kind::Map, mark, anchor);
  }
  void OnMapEnd() override { close(); }

  bool done() const { return done_; }

 private:
  struct Open {
    YamlTree node;
    YAML::anchor_t anchor = 0;
    bool keyNext = true;  // maps: the next node is a key
    std::string key;
  };

  static long long size(const YamlTree& n) {
    long long s = 1;
    for (const YamlTree& i : n.items_) s += size(i);
    for (const auto& e : n.entries_) s += 1 + size(e.second);
    return s;
  }
  void count(long long n) {
    nodes_ += n;
    if (nodes_ > kMaxNodes) throw YAML::Exception(YAML::Mark::null_mark(), "too many nodes");
  }

  // Inside a sequence item or map entry that is not kept, every event is passed over.
  bool skipping() const { return skipDepth_ > 0; }

  void open(YamlTree::Kind kind, const YAML::Mark& mark, YAML::anchor_t anchor) {
    if (skipping() || !keeps()) {
      ++skipDepth_;
      return;
    }
    count(1);
    Open o;
    o.node.kind_ = kind;
    o.node.line_ = mark.line >= 0 ? mark.line + 1 : 0;
    o.anchor = anchor;
    stack_.push_back(std::move(o));
  }
  void close() {
    if (skipping()) {
      if (--skipDepth_ == 0) passed();
      return;
    }
    Open o = std::move(stack_.back());
    stack_.pop_back();
    place(std::move(o.node), o.anchor);
  }
  void add(YamlTree n, const YAML::Mark& mark, YAML::anchor_t anchor) {
    if (skipping()) return;
    if (!keeps()) {
      passed();
      return;
    }
    count(1);
    n.line_ = mark.line >= 0 ? mark.line + 1 : 0;
    place(std::move(n), anchor);
  }
  // Whether the node that starts now is kept: not past the head of a long sequence.
  bool keeps() const {
    return stack_.empty() || stack_.back().node.kind_ != YamlTree::Kind::Sequence ||
           stack_.back().node.items_.size() < YamlTree::kMaxItems;
  }
  void passed() {
    if (!stack_.empty()) ++stack_.back().node.dropped_;
  }
  void place(YamlTree n, YAML::anchor_t anchor) {
    if (anchor) anchors_[anchor] = n;
    if (stack_.empty()) {
      root = std::move(n);
      return;
    }
    Open& parent = stack_.back();
    if (parent.node.kind_ == YamlTree::Kind::Sequence) {
      parent.node.items_.push_back(std::move(n));
    } else if (parent.keyNext) {
      parent.key = n.kind_ == YamlTree::Kind::Scalar ? std::move(n.scalar_) : std::string();
      parent.keyNext = false;
    } else {
      parent.node.entries_.emplace_back(std::move(parent.key), std::move(n));
      parent.keyNext = true;
    }
  }

  std::vector<Open> stack_;
  std::map<YAML::anchor_t, YamlTree> anchors_;
  long long nodes_ = 0;
  int skipDepth_ = 0;
  bool done_ = false;
};

const YamlTree& YamlTree::operator[](const std::string& key) const {
  static const YamlTree kMissing;
  if (kind_ != Kind::Map) return kMissing;
  for (const auto& e : entries_) {
    if (e.first == key) return e.second;
  }
  return kMissing;
}

YamlTree YamlTree::parse(const std::string& text) {
  std::istringstream in(text);
  YAML::Parser parser(in);
  YamlTreeBuilder builder;
  parser.HandleNextDocument(builder);
  return std::move(builder.root);
}

}  // namespace ax7::eqx
