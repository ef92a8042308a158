// The code-execution statement, for example  my.hp = my.hp + tg.power * 2 :
// parenthesised groups and rand(a,b) calls are replaced by their values, then
// the words between blanks become tokens and the operators are applied by
// precedence, left to right, "=" last. Statements come from users: every
// value is 64-bit and saturates, a store clamps to its target's range, the
// text and the nesting are bounded, and every error is a message box that
// abandons the statement and leaves the flow running.
#include <array>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "flow/ObjectCommands.h"
#include "flow/Status.h"
#include "library/util/MesBox.h"
#include "library/util/Sjis.h"
#include "library/util/Text.h"
#include "stage/Chara.h"
#include "stage/StagePlayScene.h"

namespace {

// The work buffer of a statement, its terminating NUL included.
constexpr size_t kStatementBuffer = 5120;
constexpr int kMaxNesting = 64;
// How much of a statement or a word a message quotes.
constexpr size_t kQuotedBytes = 200;

constexpr std::string_view kRandName = "rand";
constexpr std::array<std::string_view, 6> EvalOperatorNames = {"=", "+", "-", "*", "/", "%"};
enum Operator { kAssign, kAdd, kSubtract, kMultiply, kDivide, kRemainder };
constexpr std::array<std::string_view, 4> EvalObjectNames = {"my", "tg", "pl", "sys"};
enum Object { kMy, kTarget, kHero, kSystem };

// The members of a character: a status selector with the character variable it names.
struct CharaMember {
  std::string_view name;
  int selector;
  int varIndex;
};
constexpr std::array<CharaMember, 22> EvalCharaMembers = {
    {{"v1", 0, 1},   {"v2", 0, 2},    {"v3", 0, 3},    {"v4", 0, 4},    {"v5", 0, 5},    {"v6", 0, 6},
     {"v7", 0, 7},   {"v8", 0, 8},    {"hp", 1, 0},    {"sp", 2, 0},    {"mhp", 3, 0},   {"msp", 4, 0},
     {"cid", 5, 0},  {"z", 6, 0},     {"mark", 7, 0},  {"sight", 8, 0}, {"power", 9, 0}, {"imp", 10, 0},
     {"def", 11, 0}, {"impd", 12, 0}, {"stop", 13, 0}, {"getsc", 14, 0}}};
constexpr const std::array<std::string_view, 5>& EvalSystemMembers = kSystemValueNames;

enum TokenKind { kNumber, kVariable, kCharaMember, kSystemMember, kOperator };

struct TOKENDATA {
  int nKind = kNumber;
  long long nValue = 0;
  StatusSlot Store;  // where a variable or member is stored, its width and assignment range
  int nCode = 0;     // status selector of a member, system value, operator, or variable number
  int nVarKind = 0;  // 0 common, 1 stage variable
  cChara* pOwner = nullptr;
};

template <size_t N>
int IndexOf(const std::array<std::string_view, N>& names, std::string_view word) {
  for (size_t i = 0; i < N; ++i)
    if (names[i] == word) return static_cast<int>(i);
  return -1;
}

const CharaMember* FindCharaMember(std::string_view word) {
  for (const CharaMember& m : EvalCharaMembers)
    if (m.name == word) return &m;
  return nullptr;
}

// Leading sign and digits, as atoi reads them, saturating at the 64-bit bounds.
long long ParseNumber(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr long long kMax = std::numeric_limits<long long>::max();
  long long value = 0;  // accumulated negatively, so the most negative value fits
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value < (std::numeric_limits<long long>::min() + digit) / 10) return negative ? -kMax - 1 : kMax;
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == -kMax - 1 ? kMax : -value;
}

long long Saturate(bool overflow, long long result, bool positive) {
  if (!overflow) return result;
  return positive ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
}

// Up to kQuotedBytes of a text, cut between characters.
std::string Quoted(std::string_view text) {
  if (text.size() <= kQuotedBytes) return std::string(text);
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + (IsSjisLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1);
    if (next > kQuotedBytes) break;
    end = next;
  }
  return std::string(text.substr(0, end)) + "...";
}

const std::string& Message(std::string_view utf8) {
  thread_local std::vector<std::pair<std::string_view, std::string>> converted;
  for (const auto& [key, text] : converted)
    if (key.data() == utf8.data()) return text;
  return converted.emplace_back(utf8, Sjis(utf8)).second;
}

class cEvaluator {
 public:
  cEvaluator(cStagePlayScene& scene, cChara& chara) : m_Scene(scene), m_Chara(chara) {}

  long long ReduceExpression(std::string text);
  bool Failed() const { return m_bError; }

 private:
  long long EvaluateStatement(const std::string& text);
  long long ReduceRand(std::string_view name, std::string_view args);
  bool MakeToken(std::string_view word, int object, TOKENDATA& token);
  bool MakeMemberToken(std::string_view word, const CharaMember& member, cChara* owner, TOKENDATA& token);
  TOKENDATA MakeSystemToken(int code);
  bool Apply(const TOKENDATA& l, int op, const TOKENDATA& r, const std::string& text, long long& h);
  void Assign(const TOKENDATA& l, long long value);

  template <typename... Args>
  void Fail(std::string_view utf8Format, Args... args) {
    if constexpr (sizeof...(args) == 0)
      ErrMesBox(Message(utf8Format));
    else
      ErrMesBoxf(Message(utf8Format).c_str(), args...);
    m_bError = true;
  }
  void FailSilently() { m_bError = true; }

  cStagePlayScene& m_Scene;
  cChara& m_Chara;
  bool m_bError = false;
  int m_nDepth = 0;
};

// The index of the ")" that closes the "(" at `open`, or npos.
size_t MatchingParen(std::string_view text, size_t open) {
  int depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return i;
  }
  return std::string_view::npos;
}

long long cEvaluator::ReduceExpression(std::string text) {
  if (m_nDepth >= kMaxNesting) {
    Fail("括弧または関数の入れ子が深すぎます！");
    return 0;
  }
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(++d) {}
    ~DepthGuard() { --depth; }
  } guard(m_nDepth);
  size_t word = 0, g = 0;
  while (g < text.size()) {
    if (text[g] == ' ') word = g + 1;
    const std::string_view name(text.data() + word, g - word);
    if (text[g] != '(' || (g != word && name != kRandName)) {
      ++g;  // a "(" after another name is passed over: that word reads as 0 or fails later
      continue;
    }
    const size_t close = MatchingParen(text, g);
    if (close == std::string_view::npos) {
      if (g == word)
        Fail("\")\"が見つかりません！");
      else
        Fail("関数 %s で\")\"が見つかりません！", std::string(name).c_str());
      return 0;
    }
    const std::string_view inner(text.data() + g + 1, close - g - 1);
    const long long value = g == word ? ReduceExpression(std::string(inner)) : ReduceRand(name, inner);
    if (m_bError) return 0;
    // The value takes the group's place within its word; the scan goes on at the word's start.
    text = text.substr(0, word) + std::to_string(value) + text.substr(close + 1);
    g = word;
  }
  return EvaluateStatement(text);
}

long long cEvaluator::ReduceRand(std::string_view name, std::string_view args) {
  std::vector<long long> values;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i <= args.size(); ++i) {
    const char ch = i < args.size() ? args[i] : ',';
    if (ch == '(') ++depth;
    if (ch == ')') --depth;
    if (ch != ',' || (depth > 0 && i < args.size())) continue;
    if (i > start) {
      values.push_back(ReduceExpression(std::string(args.substr(start, i - start))));
      if (m_bError) return 0;
    }
    start = i + 1;
  }
  if (values.size() != 2) {
    Fail("関数 %s の引数が不正です！", std::string(name).c_str());
    return 0;
  }
  return RandomBetween(values[0], values[1]);
}

long long cEvaluator::EvaluateStatement(const std::string& text) {
  std::vector<TOKENDATA> tokens;
  std::string buffer;
  int object = kMy;
  bool tokenSinceDot = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    const char ch = i < text.size() ? text[i] : ' ';
    if (ch == '.') {
      // An unknown object name right at the start of an operand is an error;
      // after a completed operand it is dropped.
      const int named = IndexOf(EvalObjectNames, buffer);
      if (named >= 0) {
        object = named;
      } else if (!tokenSinceDot) {
        Fail("オブジェクト \"%s.\" が認識できません！", Quoted(buffer).c_str());
        return 0;
      }
      tokenSinceDot = false;
      buffer.clear();
    } else if (ch != ' ') {
      buffer += ch;
    } else if (!buffer.empty()) {
      TOKENDATA& token = tokens.emplace_back();
      if (!MakeToken(buffer, object, token)) return 0;
      object = kMy;
      tokenSinceDot = true;
      buffer.clear();
    }
  }
  static constexpr std::array<int, 6> kLevel = {2, 1, 1, 0, 0, 0};
  long long h = tokens.empty() ? 0 : tokens.back().nValue;
  for (int level = 0; level <= 2; ++level) {
    for (size_t i = 0; i < tokens.size();) {
      if (tokens[i].nKind != kOperator || kLevel[static_cast<size_t>(tokens[i].nCode)] != level) {
        ++i;
        continue;
      }
      if (i == 0 || i + 1 == tokens.size() || tokens[i - 1].nKind == kOperator || tokens[i + 1].nKind == kOperator) {
        Fail("演算子 \"%s\" の前後に値がありません！", EvalOperatorNames[static_cast<size_t>(tokens[i].nCode)].data());
        return 0;
      }
      if (!Apply(tokens[i - 1], tokens[i].nCode, tokens[i + 1], text, h)) return 0;
      tokens[i - 1] = TOKENDATA{kNumber, h, {}, 0, 0, nullptr};
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                   tokens.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      i = 0;
    }
  }
  return h;
}

bool cEvaluator::MakeToken(std::string_view word, int object, TOKENDATA& token) {
  if (int op = IndexOf(EvalOperatorNames, word); op >= 0) {
    token = {kOperator, 0, {}, op, 0, nullptr};
    return true;
  }
  cChara* owner = nullptr;
  if (object == kMy) owner = &m_Chara;
  if (object == kTarget) owner = m_Scene.FindCharaById(m_Chara.m_nTargetNo);
  if (object == kHero && m_Scene.HasHero()) owner = &m_Scene.Hero();
  if (!owner && object != kSystem) {
    FailSilently();  // no target: the statement ends without a message
    return false;
  }
  if (word[0] == 'C' || word[0] == 'S') {
    const long long index = ParseNumber(word.substr(1));
    const int kind = word[0] == 'C' ? 0 : 1;
    const size_t count = kind == 0 ? CommonVariables(m_Scene).size() : m_Scene.m_StageVar.size();
    if (index < 0 || static_cast<unsigned long long>(index) >= count) {
      Fail("変数 \"%s\" の番号は 0 から %d までです！", Quoted(word).c_str(), static_cast<int>(count) - 1);
      return false;
    }
    token.nKind = kVariable;
    token.nCode = static_cast<int>(index);
    token.nVarKind = kind;
    token.Store = VariableSlot(m_Scene, kind, static_cast<int>(index));
    token.nValue = token.Store.Read();
    return true;
  }
  if (const CharaMember* member = FindCharaMember(word)) return MakeMemberToken(word, *member, owner, token);
  if (int code = IndexOf(EvalSystemMembers, word); code >= 0) {
    token = MakeSystemToken(code);
    return true;
  }
  token.nValue = ParseNumber(word);
  return true;
}

bool cEvaluator::MakeMemberToken(std::string_view word, const CharaMember& member, cChara* owner, TOKENDATA& token) {
  if (!owner) {
    Fail("オブジェクト \"sys.\" にメンバ \"%s\" はありません！", Quoted(word).c_str());
    return false;
  }
  token.nKind = kCharaMember;
  token.nCode = member.selector;
  token.pOwner = owner;
  token.Store = CharaStatusSlot(*owner, member.selector, member.varIndex);
  token.nValue = ReadCharaStatus(*owner, member.selector, member.varIndex);
  // An assignment keeps HP and SP within the maxima, and the maxima at 1 or more.
  if (member.selector == 1) token.Store.nHigh = owner->m_Def.m_nMaxHp;
  if (member.selector == 2) token.Store.nHigh = owner->m_Def.m_nMaxSp;
  if (member.selector == 3 || member.selector == 4) token.Store.nLow = 1;
  return true;
}

TOKENDATA cEvaluator::MakeSystemToken(int code) {
  TOKENDATA token{kSystemMember, 0, SystemStatusSlot(m_Scene, code), code, 0, nullptr};
  token.nValue = token.Store.Read();
  // Unlimited lives read 0 and stay unlimited whatever is assigned.
  if (code == 4 && token.nValue == kUnlimitedLives) {
    token.nValue = 0;
    token.Store.nLow = token.Store.nHigh = kUnlimitedLives;
  }
  return token;
}

bool cEvaluator::Apply(const TOKENDATA& l, int op, const TOKENDATA& r, const std::string& text, long long& h) {
  const long long a = l.nValue, b = r.nValue;
  bool overflow = false;
  switch (op) {
    case kAdd:
      overflow = __builtin_add_overflow(a, b, &h);
      h = Saturate(overflow, h, b > 0);
      return true;
    case kSubtract:
      overflow = __builtin_sub_overflow(a, b, &h);
      h = Saturate(overflow, h, b < 0);
      return true;
    case kMultiply:
      overflow = __builtin_mul_overflow(a, b, &h);
      h = Saturate(overflow, h, (a < 0) == (b < 0));
      return true;
    case kDivide:
    case kRemainder:
      if (b == 0) {
        Fail("0除算が行われました！(%s)", Quoted(text).c_str());
        return false;
      }
      // The one quotient that does not fit saturates; its remainder is 0.
      if (b == -1)
        h = op == kDivide ? Saturate(a == std::numeric_limits<long long>::min(), -a, true) : 0;
      else
        h = op == kDivide ? a / b : a % b;
      return true;
    default:
      if (l.nKind == kNumber) {
        Fail("数値には代入できません！");
        return false;
      }
      h = ClampToRange(b, l.Store.nLow, l.Store.nHigh);
      Assign(l, h);
      return true;
  }
}

void cEvaluator::Assign(const TOKENDATA& l, long long value) {
  l.Store.Write(value);
  if (l.nKind == kVariable) TraceVariableWrite(l.nVarKind, l.nCode, l.Store.Read());
  if (l.nKind == kSystemMember) {
    AfterSystemStatusWrite(m_Scene, l.nCode);
    TraceSystemWrite(m_Scene, l.nCode);
  }
  if (l.nKind != kCharaMember) return;
  cChara& owner = *l.pOwner;
  AfterCharaStatusWrite(owner, l.nCode);
  if (l.nCode == 1 && &owner != &m_Chara && owner.m_nHp < 1) m_Scene.m_bCheckHero = 1;
  if (l.nCode == 3) owner.m_nHp = static_cast<int>(ClampToRange(owner.m_nHp, 1, owner.m_Def.m_nMaxHp));
  if (l.nCode == 4) owner.m_nSp = static_cast<int>(ClampToRange(owner.m_nSp, 1, owner.m_Def.m_nMaxSp));
}

}  // namespace

int ExecuteCode(const std::string& statement, cChara& c) {
  // The statement as a C string: it ends at its first NUL.
  const std::string_view text(statement.c_str());
  if (text.size() >= kStatementBuffer) {
    ErrMesBoxf(Message("コードが長すぎます！(%d バイトまで)").c_str(), static_cast<int>(kStatementBuffer) - 1);
    return 0;
  }
  const int hp = c.m_nHp, sp = c.m_nSp;
  cEvaluator evaluator(Scene(), c);
  evaluator.ReduceExpression(std::string(text));
  if (evaluator.Failed()) return 0;
  if (c.m_nHp != hp) c.StartHpGaugeAnime(c.m_nHp - hp);
  if (c.m_nSp != sp) c.StartSpGaugeAnime(c.m_nSp - sp);
  return 1;
}
