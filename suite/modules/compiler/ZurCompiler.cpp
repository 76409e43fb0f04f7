#include "suite/modules/compiler/ZurCompiler.h"

#include "platform/core/Format.h"
#include "platform/core/Path.h"
#include "suite/coff/CoffWriter.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace zurc {

namespace {

constexpr int kMaxIncludeDepth = 32;

struct Token {
  enum Kind { Ident, Number, Punct, String, End } kind = End;
  std::string text;
  int file = 0;
  unsigned line = 0;
};

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 32);
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
  return s;
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

uint16_t Hash16(const std::string& s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) {
    h ^= c;
    h *= 16777619u;
  }
  return (uint16_t)(h ^ (h >> 16));
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::string native = ResolvePath(path.c_str());
  FILE* f = std::fopen(native.c_str(), "rb");
  if (!f) return false;
  text.clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

std::string FolderOf(const std::string& path) {
  size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

// Type keywords of declarations: words and COFF basic type.
struct TypeInfo {
  const char* name;
  uint16_t words;
  uint16_t basic;
};
const TypeInfo kTypes[] = {{"int", 1, 4}, {"uint", 1, 13}, {"long", 2, 5}, {"ulong", 2, 15}, {"fixed", 2, 6}};

const TypeInfo* FindType(const std::string& word) {
  std::string w = Lower(word);
  for (const TypeInfo& t : kTypes)
    if (w == t.name) return &t;
  return nullptr;
}

// A number as the words it takes: one for 16-bit integers, two (low, high) for 32-bit integers and
// for fractional values, which become 16.16 fixed point.
bool EncodeNumber(const std::string& text, bool negative, std::vector<uint16_t>& words, std::string& why) {
  words.clear();
  bool fractional = false;
  int64_t value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (size_t i = 2; i < text.size(); ++i) {
      char c = text[i];
      int d = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
      value = value * 16 + d;
      if (value > 0xFFFFFFFFll) {
        why = "the number " + text + " is out of range";
        return false;
      }
    }
  } else if (text.find_first_of(".eE") != std::string::npos) {
    fractional = true;
  } else {
    for (char c : text) {
      value = value * 10 + (c - '0');
      if (value > 0xFFFFFFFFll) {
        why = "the number " + text + " is out of range";
        return false;
      }
    }
  }
  if (fractional) {
    double v = std::strtod(text.c_str(), nullptr);
    if (negative) v = -v;
    double scaled = std::round(v * 65536.0);
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0)) {
      why = "the number " + text + " is out of range";
      return false;
    }
    uint32_t f = (uint32_t)(int32_t)scaled;
    words = {(uint16_t)f, (uint16_t)(f >> 16)};
    return true;
  }
  if (negative) value = -value;
  if (value >= -32768 && value <= 65535) {
    words = {(uint16_t)value};
    return true;
  }
  if (value < -2147483648ll) {
    why = "the number -" + text + " is out of range";
    return false;
  }
  uint32_t v = (uint32_t)value;
  words = {(uint16_t)v, (uint16_t)(v >> 16)};
  return true;
}

class Lexer {
 public:
  Lexer(std::vector<std::string>& files, std::vector<Token>& tokens, std::string& error)
      : m_files(files), m_tokens(tokens), m_error(error) {}

  bool LexFile(const std::string& path, int fromFile, unsigned fromLine, const std::string& includeName) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
      if (fromFile < 0)
        return Fail(path, 0, "cannot open the source file");
      return Fail(m_files[fromFile], fromLine, "cannot open include file \"" + includeName + "\"");
    }
    for (const std::string& active : m_stack)
      if (ResolvePath(active.c_str()) == ResolvePath(path.c_str()))
        return Fail(m_files[fromFile], fromLine, "\"" + includeName + "\" includes itself");
    if ((int)m_stack.size() >= kMaxIncludeDepth)
      return Fail(m_files[fromFile], fromLine, "includes nested too deeply");
    const int file = (int)m_files.size();
    m_files.push_back(path);
    m_stack.push_back(path);
    bool ok = Lex(text, file);
    m_stack.pop_back();
    return ok;
  }

 private:
  bool Fail(const std::string& file, unsigned line, const std::string& what) {
    m_error = file + "(" + std::to_string(line) + "): error: " + what;
    return false;
  }

  void Push(Token::Kind kind, std::string text, int file, unsigned line) {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.file = file;
    t.line = line;
    m_tokens.push_back(std::move(t));
  }

  bool Directive(const std::string& body, int file, unsigned line) {
    std::string d = body;
    size_t cut = d.find("//");
    if (cut != std::string::npos) d.erase(cut);
    size_t i = 0;
    while (i < d.size() && (d[i] == ' ' || d[i] == '\t')) ++i;
    size_t nameStart = i;
    while (i < d.size() && IsIdentChar(d[i])) ++i;
    std::string name = Lower(d.substr(nameStart, i - nameStart));
    while (i < d.size() && (d[i] == ' ' || d[i] == '\t')) ++i;
    std::string rest = d.substr(i);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r')) rest.pop_back();
    const std::string& here = m_files[file];
    if (name == "error") return Fail(here, line, rest.empty() ? "#error" : rest);
    if (name != "include") return Fail(here, line, "unknown directive #" + name);
    if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') || (rest.front() == '<' && rest.back() == '>')))
      return Fail(here, line, "#include expects \"file\"");
    std::string inc = rest.substr(1, rest.size() - 2);
    if (inc.empty()) return Fail(here, line, "#include expects \"file\"");
    std::string path = IsAbsolutePath(inc.c_str()) ? inc : FolderOf(here) + inc;
    return LexFile(path, file, line, inc);
  }

  bool Lex(const std::string& s, int file) {
    unsigned line = 1;
    bool lineStart = true;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
      char c = s[i];
      if (c == '\n') {
        ++line;
        lineStart = true;
        ++i;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++i;
        continue;
      }
      if (c == '/' && i + 1 < n && s[i + 1] == '/') {
        while (i < n && s[i] != '\n') ++i;
        continue;
      }
      if (c == '/' && i + 1 < n && s[i + 1] == '*') {
        unsigned startLine = line;
        i += 2;
        while (i < n && !(s[i] == '*' && i + 1 < n && s[i + 1] == '/')) {
          if (s[i] == '\n') ++line;
          ++i;
        }
        if (i >= n) return Fail(m_files[file], startLine, "unterminated comment");
        i += 2;
        continue;
      }
      if (c == '#' && lineStart) {
        size_t end = s.find('\n', i);
        if (end == std::string::npos) end = n;
        if (!Directive(s.substr(i + 1, end - i - 1), file, line)) return false;
        i = end;
        continue;
      }
      lineStart = false;
      if (IsIdentStart(c)) {
        size_t b = i;
        while (i < n && IsIdentChar(s[i])) ++i;
        std::string id = s.substr(b, i - b);
        // The low and high words of a 32-bit variable belong to its name.
        if (i + 2 < n && s[i] == '(' && (s[i + 1] == 'L' || s[i + 1] == 'l' || s[i + 1] == 'H' || s[i + 1] == 'h') &&
            s[i + 2] == ')') {
          id += '(';
          id += (char)(s[i + 1] & ~0x20);
          id += ')';
          i += 3;
        }
        Push(Token::Ident, std::move(id), file, line);
        continue;
      }
      if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
        size_t b = i;
        if (c == '0' && i + 1 < n && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
          i += 2;
          while (i < n && IsHexDigit(s[i])) ++i;
          if (i - b == 2) return Fail(m_files[file], line, "bad number " + s.substr(b, i - b));
        } else {
          while (i < n && IsDigit(s[i])) ++i;
          if (i < n && s[i] == '.') {
            ++i;
            while (i < n && IsDigit(s[i])) ++i;
          }
          if (i < n && (s[i] == 'e' || s[i] == 'E')) {
            size_t e = i + 1;
            if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
            if (e < n && IsDigit(s[e])) {
              i = e;
              while (i < n && IsDigit(s[i])) ++i;
            }
          }
        }
        if (i < n && IsIdentChar(s[i])) {
          while (i < n && IsIdentChar(s[i])) ++i;
          return Fail(m_files[file], line, "bad number " + s.substr(b, i - b));
        }
        Push(Token::Number, s.substr(b, i - b), file, line);
        continue;
      }
      if (c == '"') {
        size_t b = ++i;
        while (i < n && s[i] != '"' && s[i] != '\n') ++i;
        if (i >= n || s[i] != '"') return Fail(m_files[file], line, "unterminated string");
        Push(Token::String, s.substr(b, i - b), file, line);
        ++i;
        continue;
      }
      if ((unsigned char)c < 0x21 || (unsigned char)c > 0x7E)
        return Fail(m_files[file], line, FormatString("unexpected character 0x%02X", (unsigned)(unsigned char)c));
      static const char* const kOps[] = {"<<=", ">>=", "+=", "-=", "*=", "/=", "&=", "|=", "^=", "==", "!=",
                                         "<=",  ">=",  "<<", ">>", "&&", "||", "++", "--"};
      std::string op(1, c);
      for (const char* k : kOps) {
        size_t len = std::char_traits<char>::length(k);
        if (s.compare(i, len, k) == 0) {
          op = k;
          break;
        }
      }
      i += op.size();
      Push(Token::Punct, std::move(op), file, line);
    }
    return true;
  }

  std::vector<std::string>& m_files;
  std::vector<Token>& m_tokens;
  std::string& m_error;
  std::vector<std::string> m_stack;
};

// Parsed program items.
struct Item {
  enum Kind { Label, Variable, Statement, Entry } kind = Statement;
  size_t first = 0, last = 0;  // token range of a statement or entry, [first, last)
  std::string name;            // label or variable
  const TypeInfo* type = nullptr;
  std::vector<uint16_t> init;  // initial words of a variable
  int file = 0;
  unsigned line = 0;
  uint32_t offset = 0;  // code offset (labels, statements) or data offset (variables)
};

bool IsReservedName(const std::string& key) {
  return key == "_PROG_LOAD_ADDR" || key == "_PROG_RUN_ADDR" || key == "_PROG_END_ADDR";
}

// The passes over the tokens of one compilation: the items and names defined, their sizes and
// addresses, then the words.
class Assembler {
 public:
  Assembler(const std::vector<Token>& tokens, Program& program, std::string& error, const Options& options,
            const Resolver& resolver)
      : m_tokens(tokens), m_program(program), m_error(error), m_options(options), m_resolver(resolver) {}

  bool ReadItems();
  bool Layout();
  void Emit();

 private:
  bool Fail(int file, unsigned line, const std::string& what) {
    m_error = m_program.files[file] + "(" + std::to_string(line) + "): error: " + what;
    return false;
  }
  bool IsPunct(size_t i, const char* p) const {
    return m_tokens[i].kind == Token::Punct && m_tokens[i].text == p;
  }
  bool Define(Item& item);
  // A declaration from its first name to its ';'.
  bool ReadDeclaration(size_t& i, const TypeInfo* type);
  bool ReadInitialValue(size_t& i, const TypeInfo* type, Item& item);
  // Names used without being defined: the resolver's, else part of the statement's shape.
  const ExternalSymbol* External(const std::string& name);
  bool IsOperandName(const std::string& name);
  // Unary minus: after nothing, an operator or an opening bracket.
  bool UnaryMinus(size_t i, size_t first) const;
  bool SizeStatement(Item& item);
  void ValueOf(const std::string& name, Word& w);
  void EmitSymbol(const Item& item);
  void EmitStatement(const Item& item);

  const std::vector<Token>& m_tokens;
  Program& m_program;
  std::string& m_error;
  const Options& m_options;
  const Resolver& m_resolver;
  std::vector<Item> m_items;
  std::unordered_map<std::string, size_t> m_defined;  // upper-case name -> item
  std::unordered_map<std::string, std::unique_ptr<ExternalSymbol>> m_externals;
  uint32_t m_codeSize = 0, m_dataSize = 0;
};

bool Assembler::Define(Item& item) {
  std::string key = Upper(item.name);
  if (IsReservedName(key)) return Fail(item.file, item.line, "'" + item.name + "' is reserved");
  auto [it, fresh] = m_defined.emplace(key, m_items.size());
  if (!fresh) {
    const Item& first = m_items[it->second];
    return Fail(item.file, item.line,
                "'" + item.name + "' is already defined at " + m_program.files[first.file] + "(" +
                    std::to_string(first.line) + ")");
  }
  m_items.push_back(item);
  return true;
}

bool Assembler::ReadInitialValue(size_t& i, const TypeInfo* type, Item& item) {
  const std::vector<Token>& tokens = m_tokens;
  ++i;
  bool negative = false;
  if (IsPunct(i, "-")) {
    negative = true;
    ++i;
  }
  if (tokens[i].kind != Token::Number)
    return Fail(tokens[i].file, tokens[i].line, "the initial value of '" + item.name + "' must be a number");
  std::vector<uint16_t> words;
  std::string why;
  const std::string& num = tokens[i].text;
  bool fractional = num.find_first_of(".eE") != std::string::npos && num.find_first_of("xX") == std::string::npos;
  if (type->basic == 6 && !fractional) {
    // A whole number for a fixed variable is its integer part.
    if (!EncodeNumber(num + ".0", negative, words, why)) return Fail(tokens[i].file, tokens[i].line, why);
  } else if (!EncodeNumber(num, negative, words, why)) {
    return Fail(tokens[i].file, tokens[i].line, why);
  }
  if (fractional && type->basic != 6)
    return Fail(tokens[i].file, tokens[i].line, "'" + item.name + "' cannot hold a fractional value");
  if (words.size() > type->words)
    return Fail(tokens[i].file, tokens[i].line, "the initial value of '" + item.name + "' is out of range");
  // A one-word value is sign-extended into a two-word variable.
  const uint16_t extension = negative && (words[0] & 0x8000) ? 0xFFFF : 0;
  for (size_t k = 0; k < item.init.size(); ++k) item.init[k] = k < words.size() ? words[k] : extension;
  ++i;
  return true;
}

bool Assembler::ReadDeclaration(size_t& i, const TypeInfo* type) {
  const std::vector<Token>& tokens = m_tokens;
  for (;;) {
    const Token& nameTok = tokens[i];
    if (nameTok.kind != Token::Ident || nameTok.text.find('(') != std::string::npos || FindType(nameTok.text))
      return Fail(nameTok.file, nameTok.line, "a variable name is expected in the declaration");
    Item item;
    item.kind = Item::Variable;
    item.name = nameTok.text;
    item.type = type;
    item.file = nameTok.file;
    item.line = nameTok.line;
    item.init.assign(type->words, 0);
    ++i;
    if (IsPunct(i, "=") && !ReadInitialValue(i, type, item)) return false;
    if (!Define(item)) return false;
    if (IsPunct(i, ",")) {
      ++i;
      continue;
    }
    if (IsPunct(i, ";")) {
      ++i;
      return true;
    }
    return Fail(tokens[i].file, tokens[i].line, "';' is missing after the declaration of '" + item.name + "'");
  }
}

bool Assembler::ReadItems() {
  const std::vector<Token>& tokens = m_tokens;
  for (size_t i = 0; tokens[i].kind != Token::End;) {
    const Token& t = tokens[i];
    if (IsPunct(i, ";")) {
      ++i;
      continue;
    }
    if (t.kind == Token::Ident && IsPunct(i + 1, ":") && t.text.find('(') == std::string::npos) {
      Item item;
      item.kind = Item::Label;
      item.name = t.text;
      item.file = t.file;
      item.line = t.line;
      if (!Define(item)) return false;
      i += 2;
      continue;
    }
    const TypeInfo* type = t.kind == Token::Ident ? FindType(t.text) : nullptr;
    if (type && tokens[i + 1].kind == Token::Ident) {
      ++i;
      if (!ReadDeclaration(i, type)) return false;
      continue;
    }
    Item item;
    item.kind = IsPunct(i, "@") ? Item::Entry : Item::Statement;
    item.file = t.file;
    item.line = t.line;
    item.first = item.kind == Item::Entry ? i + 1 : i;
    while (tokens[i].kind != Token::End && !IsPunct(i, ";")) ++i;
    // A listing is made of single instructions, which need no ';' at their end.
    if (tokens[i].kind == Token::End && m_options.mode != kModeListing)
      return Fail(t.file, t.line, "';' is missing at the end of the statement");
    item.last = i;
    if (tokens[i].kind != Token::End) ++i;
    m_items.push_back(item);
  }
  return true;
}

const ExternalSymbol* Assembler::External(const std::string& name) {
  std::string key = Upper(name);
  auto it = m_externals.find(key);
  if (it != m_externals.end()) return it->second.get();
  std::unique_ptr<ExternalSymbol> sym;
  ExternalSymbol s;
  if (m_resolver && m_resolver(name, s)) sym = std::make_unique<ExternalSymbol>(s);
  return m_externals.emplace(key, std::move(sym)).first->second.get();
}

bool Assembler::IsOperandName(const std::string& name) {
  std::string key = Upper(name);
  std::string base = key;
  if (base.size() > 3 && (base.compare(base.size() - 3, 3, "(L)") == 0 || base.compare(base.size() - 3, 3, "(H)") == 0))
    base.erase(base.size() - 3);
  return m_defined.count(key) || m_defined.count(base) || IsReservedName(key) || External(name) != nullptr;
}

bool Assembler::UnaryMinus(size_t i, size_t first) const {
  if (!IsPunct(i, "-") || m_tokens[i + 1].kind != Token::Number) return false;
  if (i == first) return true;
  const Token& p = m_tokens[i - 1];
  return p.kind == Token::Punct && p.text != ")" && p.text != "]";
}

bool Assembler::SizeStatement(Item& item) {
  const std::vector<Token>& tokens = m_tokens;
  uint32_t words = item.kind == Item::Statement ? 1 : 0;
  if (item.kind == Item::Entry) {
    size_t k = item.first;
    if (IsPunct(k, "-")) ++k;
    if (k + 1 != item.last || (tokens[k].kind != Token::Ident && tokens[k].kind != Token::Number) ||
        (k != item.first && tokens[k].kind != Token::Number))
      return Fail(item.file, item.line, "a table entry holds one label or number");
  }
  for (size_t k = item.first; k < item.last; ++k) {
    const Token& t = tokens[k];
    if (t.kind == Token::Number) {
      std::vector<uint16_t> w;
      std::string why;
      if (!EncodeNumber(t.text, k > item.first && UnaryMinus(k - 1, item.first), w, why))
        return Fail(t.file, t.line, why);
      words += (uint32_t)w.size();
    } else if (t.kind == Token::String) {
      words += (uint32_t)t.text.size();
    } else if (t.kind == Token::Ident && (item.kind == Item::Entry || IsOperandName(t.text))) {
      words += 1;
    }
  }
  item.offset = m_codeSize;
  m_codeSize += words;
  if (m_codeSize > m_options.length)
    return Fail(item.file, item.line,
                FormatString("the program needs more than the %u words reserved for it", (unsigned)m_options.length));
  return true;
}

bool Assembler::Layout() {
  for (Item& item : m_items) {
    if (item.kind == Item::Label) {
      item.offset = m_codeSize;
    } else if (item.kind == Item::Variable) {
      uint32_t at = (uint32_t)m_options.dataStart + m_dataSize;
      if (item.type->words == 2 && (at & 1)) ++m_dataSize;
      item.offset = m_dataSize;
      m_dataSize += item.type->words;
      if (m_dataSize > m_options.dataSize)
        return Fail(item.file, item.line,
                    FormatString("the variables need more than the %u words of the data section", (unsigned)m_options.dataSize));
    } else if (!SizeStatement(item)) {
      return false;
    }
  }
  if ((uint32_t)m_options.loadAddress + m_codeSize > 0x10000 || (uint32_t)m_options.runAddress + m_codeSize > 0x10000)
    return Fail(0, 0, "the program runs past the end of the memory");
  return true;
}

void Assembler::ValueOf(const std::string& name, Word& w) {
  std::string key = Upper(name);
  std::string base = key;
  uint16_t plus = 0;
  if (base.size() > 3 && base.compare(base.size() - 3, 3, "(H)") == 0) plus = 1;
  if (base.size() > 3 && (plus || base.compare(base.size() - 3, 3, "(L)") == 0)) base.erase(base.size() - 3);
  if (key == "_PROG_LOAD_ADDR") w.value = m_options.loadAddress;
  else if (key == "_PROG_RUN_ADDR") w.value = m_options.runAddress;
  else if (key == "_PROG_END_ADDR") w.value = (uint16_t)(m_options.runAddress + m_codeSize);
  else if (m_defined.count(key) || m_defined.count(base)) {
    const Item& d = m_items[m_defined.count(key) ? m_defined[key] : m_defined[base]];
    if (d.kind == Item::Label) w.value = (uint16_t)(m_options.runAddress + d.offset);
    else w.value = (uint16_t)(m_options.dataStart + d.offset + (m_defined.count(key) ? 0 : plus));
  } else if (const ExternalSymbol* e = External(name)) {
    w.value = e->value;
    if (e->label) w.external = key;
  } else {
    // A name nobody knows, in a table entry: a label of the firmware.
    w.value = Hash16(key);
    w.external = key;
  }
}

void Assembler::EmitSymbol(const Item& item) {
  Symbol s;
  s.name = Upper(item.name);
  if (item.kind == Item::Variable) {
    for (size_t k = 0; k < item.init.size(); ++k) m_program.data[item.offset + k] = item.init[k];
    s.address = (uint16_t)(m_options.dataStart + item.offset);
    s.variable = true;
    s.basicType = item.type->basic;
  } else {
    s.address = (uint16_t)(m_options.runAddress + item.offset);
  }
  s.file = item.file;
  s.line = item.line;
  m_program.symbols.push_back(s);
}

void Assembler::EmitStatement(const Item& item) {
  std::string shape;
  std::vector<Word> operands;
  for (size_t k = item.first; k < item.last; ++k) {
    const Token& t = m_tokens[k];
    if (UnaryMinus(k, item.first)) continue;  // folded into the number
    if (!shape.empty()) shape += ' ';
    if (t.kind == Token::Number) {
      std::vector<uint16_t> w;
      std::string why;
      EncodeNumber(t.text, k > item.first && UnaryMinus(k - 1, item.first), w, why);
      shape += w.size() == 1 ? "#" : "##";
      for (uint16_t v : w) operands.push_back(Word{v, std::string()});
    } else if (t.kind == Token::String) {
      shape += "\"" + std::to_string(t.text.size());
      for (unsigned char c : t.text) operands.push_back(Word{c, std::string()});
    } else if (t.kind == Token::Ident && (item.kind == Item::Entry || IsOperandName(t.text))) {
      shape += '$';
      Word w;
      ValueOf(t.text, w);
      operands.push_back(w);
    } else {
      shape += t.kind == Token::Ident ? Upper(t.text) : t.text;
    }
  }
  if (item.kind == Item::Statement) m_program.code.push_back(Word{Hash16(shape), std::string()});
  for (Word& w : operands) m_program.code.push_back(std::move(w));
}

void Assembler::Emit() {
  m_program.code.reserve(m_codeSize);
  m_program.data.assign(m_dataSize, 0);
  for (const Item& item : m_items) {
    if (item.kind == Item::Variable || item.kind == Item::Label) EmitSymbol(item);
    else EmitStatement(item);
  }
}

}  // namespace

Compiler::Compiler(Options options, Resolver resolver) : m_options(options), m_resolver(std::move(resolver)) {}

std::string Compiler::OutputPathOf(const std::string& source) {
  size_t slash = source.find_last_of("\\/");
  size_t dot = source.find_last_of('.');
  std::string base = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? source.substr(0, dot) : source;
  return base + ".out";
}

bool Compiler::Compile(const std::string& path, Program& program) {
  program = Program();
  m_error.clear();
  std::vector<Token> tokens;
  {
    Lexer lexer(program.files, tokens, m_error);
    if (!lexer.LexFile(path, -1, 0, path)) return false;
  }
  Token end;
  end.kind = Token::End;
  end.file = tokens.empty() ? 0 : tokens.back().file;
  end.line = tokens.empty() ? 0 : tokens.back().line;
  tokens.push_back(end);

  Assembler assembler(tokens, program, m_error, m_options, m_resolver);
  if (!assembler.ReadItems() || !assembler.Layout()) return false;
  assembler.Emit();
  return true;
}

bool Compiler::WriteCoff(const Program& program, const Options& options, const std::string& path, std::string& error) {
  coff::Writer w;
  auto put16 = [&](size_t at, uint16_t v) {
    w.optionalHeaderBytes[at] = (uint8_t)v;
    w.optionalHeaderBytes[at + 1] = (uint8_t)(v >> 8);
  };
  put16(0, 0x0108);
  put16(4, (uint16_t)program.code.size());
  put16(8, (uint16_t)program.data.size());
  // Execution begins where the code is loaded: a copy sequence moves it to its run address.
  put16(16, options.loadAddress);
  put16(20, options.loadAddress);
  put16(24, options.dataStart);

  coff::Section text;
  text.name = ".text";
  text.loadAddress = options.loadAddress;
  text.runAddress = options.loadAddress;
  text.flags = coff::kSectionCode;
  text.page = 0;
  for (const Word& word : program.code) text.words.push_back(word.value);
  const int textNo = w.AddSection(text);
  coff::Section data;
  data.name = ".data";
  data.loadAddress = options.dataStart;
  data.runAddress = options.dataStart;
  data.flags = coff::kSectionData;
  data.page = 1;
  data.words = program.data;
  const int dataNo = w.AddSection(data);

  coff::Symbol sec;
  sec.name = ".text";
  sec.value = options.loadAddress;
  sec.section = (int16_t)textNo;
  sec.storageClass = coff::kClassStatic;
  sec.aux.push_back(coff::MakeAux((uint32_t)program.code.size()));
  w.AddSymbol(sec);
  sec.name = ".data";
  sec.value = options.dataStart;
  sec.section = (int16_t)dataNo;
  sec.aux = {coff::MakeAux((uint32_t)program.data.size())};
  w.AddSymbol(sec);
  for (const Symbol& s : program.symbols)
    if (!s.variable) w.AddLabel(s.name, s.address, (int16_t)textNo);
  for (const Symbol& s : program.symbols)
    if (s.variable) w.AddVariable(s.name, s.address, (int16_t)dataNo, s.basicType);

  std::vector<uint8_t> bytes = w.Build();
  std::string native = ResolvePath(path.c_str());
  FILE* f = std::fopen(native.c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) error = path + "(0): error: cannot write the output file";
  return ok;
}

bool Compiler::WriteListing(const Program& program, const std::string& path, std::string& error) {
  std::string text;
  text.reserve(program.code.size() * 12);
  for (const Word& word : program.code) {
    if (word.external.empty()) text += FormatString("\t.word %hx\r\n", word.value);
    else text += "\t.word " + word.external + "\r\n";
  }
  std::string native = ResolvePath(path.c_str());
  FILE* f = std::fopen(native.c_str(), "wb");
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) error = path + "(0): error: cannot write the output file";
  return ok;
}

bool Compiler::CompileFile(const std::string& path) {
  m_output.clear();
  if (m_options.mode != kModeCoff && m_options.mode != kModeListing) {
    m_error = path + "(0): error: " + FormatString("unknown compile mode 0x%X", (unsigned)m_options.mode);
    return false;
  }
  Program program;
  if (!Compile(path, program)) return false;
  std::string out = OutputPathOf(path);
  bool ok = m_options.mode == kModeCoff ? WriteCoff(program, m_options, out, m_error) : WriteListing(program, out, m_error);
  if (ok) m_output = out;
  return ok;
}

}  // namespace zurc
