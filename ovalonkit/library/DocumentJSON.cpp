#include "library/DocumentJSON.h"

#include "model/Base64.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <stdexcept>
#include <unordered_set>

namespace ovalon::DocumentJSON {

namespace {

using json = nlohmann::json;

// Thrown while writing, inside this file only; the public functions turn it into a Failure.
struct NotEncodable : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---------- writing

json number(double value) {
  if (!std::isfinite(value))
    throw NotEncodable("A number in the document isn’t finite.");
  return value;
}

json numbers(const std::vector<double> &values) {
  json array = json::array();
  for (double v : values)
    array.push_back(number(v));
  return array;
}

json payloadCase(std::string_view name, std::optional<json> payload = std::nullopt) {
  json inner = json::object();
  if (payload)
    inner["_0"] = std::move(*payload);
  return json{{std::string(name), std::move(inner)}};
}

json toJSON(const QuestionKey &k) {
  return {{"correct", json(std::vector<int>(k.correct.begin(), k.correct.end()))},
          {"points", number(k.points)},
          {"dropped", k.dropped}};
}

json toJSON(const ExamVersion &v) {
  json out{{"letter", v.letter}, {"order", v.order}};
  if (v.choiceOrder)
    out["choiceOrder"] = *v.choiceOrder;
  return out;
}

json toJSON(const LayoutSignature &s) {
  return {{"questionCount", s.questionCount},
          {"choiceCount", s.choiceCount},
          {"idDigits", s.idDigits},
          {"paper", PaperInfo::rawValue(s.paper)}};
}

json toJSON(const Exam &e) {
  json keys = json::array();
  for (const QuestionKey &k : e.key)
    keys.push_back(toJSON(k));
  json versions = json::array();
  for (const ExamVersion &v : e.versions)
    versions.push_back(toJSON(v));
  return {{"id", e.id.text()},
          {"title", e.title},
          {"created", number(e.created.sinceReferenceDate)},
          {"questionCount", e.questionCount},
          {"choiceCount", e.choiceCount},
          {"idDigits", e.idDigits},
          {"paper", PaperInfo::rawValue(e.paper)},
          {"key", std::move(keys)},
          {"versions", std::move(versions)},
          {"shuffleChoices", e.shuffleChoices},
          {"seed", e.seed}};
}

json toJSON(const Roster &r) {
  json students = json::array();
  for (const Student &s : r.students)
    students.push_back({{"id", s.id}, {"firstName", s.firstName}, {"lastName", s.lastName}});
  json out{{"students", std::move(students)}};
  if (r.sourceName)
    out["sourceName"] = *r.sourceName;
  return out;
}

json toJSON(const MarkRead &m) {
  json out{{"fills", numbers(m.fills)}};
  if (m.choice)
    out["choice"] = *m.choice;
  if (m.flag)
    out["flag"] = MarkFlagInfo::rawValue(*m.flag);
  if (m.strongest)
    out["strongest"] = *m.strongest;
  return out;
}

json toJSON(const std::vector<MarkRead> &marks) {
  json array = json::array();
  for (const MarkRead &m : marks)
    array.push_back(toJSON(m));
  return array;
}

json toJSON(const NameRead &n) {
  return {{"text", n.text}, {"alternatives", n.alternatives}, {"confidence", number(n.confidence)}};
}

json toJSON(const Resolution &r) {
  return std::visit(
      [](const auto &d) -> json {
        using T = std::decay_t<decltype(d)>;
        if constexpr (std::is_same_v<T, Resolution::Choice>)
          return payloadCase("choice", json(d.slot));
        else if constexpr (std::is_same_v<T, Resolution::Student>)
          return payloadCase("student", json(d.id));
        else if constexpr (std::is_same_v<T, Resolution::Blank>)
          return payloadCase("blank");
        else if constexpr (std::is_same_v<T, Resolution::Accept>)
          return payloadCase("accept");
        else
          return payloadCase("exclude");
      },
      r.decision);
}

json toJSON(const PageProblem &p) {
  return std::visit(
      [](const auto &reason) -> json {
        using T = std::decay_t<decltype(reason)>;
        if constexpr (std::is_same_v<T, PageProblem::NoCode>)
          return payloadCase("noCode");
        else if constexpr (std::is_same_v<T, PageProblem::NoMarks>)
          return payloadCase("noMarks");
        else if constexpr (std::is_same_v<T, PageProblem::OtherExam>)
          return payloadCase("otherExam", json(reason.code));
        else
          return payloadCase("layoutChanged", toJSON(reason.signature));
      },
      p.reason);
}

json toJSON(const ReviewFlag &f) {
  json out{{"id", f.id.text()},
           {"kind", FlagKindInfo::rawValue(f.kind)},
           {"fills", numbers(f.fills)},
           {"note", f.note}};
  if (f.position)
    out["position"] = *f.position;
  if (f.crop)
    out["crop"] = Base64::encode(*f.crop);
  if (f.suggestion)
    out["suggestion"] = *f.suggestion;
  if (f.resolution)
    out["resolution"] = toJSON(*f.resolution);
  return out;
}

json toJSON(const ScannedSheet &s) {
  json images = json::array();
  for (const Uuid &u : s.pageImages)
    images.push_back(u.text());
  json flags = json::array();
  for (const ReviewFlag &f : s.flags)
    flags.push_back(toJSON(f));
  json out{{"id", s.id.text()},
           {"number", s.number},
           {"source", s.source},
           {"sourcePages", s.sourcePages},
           {"version", s.version},
           {"marks", toJSON(s.marks)},
           {"idColumns", toJSON(s.idColumns)},
           {"readID", s.readID},
           {"pageImages", std::move(images)},
           {"flags", std::move(flags)},
           {"excluded", s.excluded},
           {"gradedAt", number(s.gradedAt.sinceReferenceDate)}};
  if (s.idImage)
    out["idImage"] = s.idImage->text();
  if (s.nameImage)
    out["nameImage"] = s.nameImage->text();
  if (s.idCrop)
    out["idCrop"] = Base64::encode(*s.idCrop);
  if (s.name)
    out["name"] = toJSON(*s.name);
  if (s.nameCrop)
    out["nameCrop"] = Base64::encode(*s.nameCrop);
  if (s.rescanned)
    out["rescanned"] = number(s.rescanned->sinceReferenceDate);
  if (s.sourceDigest)
    out["sourceDigest"] = *s.sourceDigest;
  if (!s.cornerMethods.empty()) {
    json methods = json::array();
    for (const auto &method : s.cornerMethods)
      methods.push_back(method ? json(CornerMethodInfo::rawValue(*method)) : json(nullptr));
    out["cornerMethods"] = std::move(methods);
  }
  return out;
}

json toJSON(const ScanIssue &i) {
  json out{{"id", i.id.text()},
           {"source", i.source},
           {"sourcePage", i.sourcePage},
           {"dismissed", i.dismissed}};
  if (i.problem)
    out["problem"] = toJSON(*i.problem);
  if (i.orphanPage)
    out["orphanPage"] = *i.orphanPage;
  if (i.image)
    out["image"] = i.image->text();
  if (i.sourceDigest)
    out["sourceDigest"] = *i.sourceDigest;
  return out;
}

json toJSON(const DocumentSummary &s) {
  return {{"id", s.id.text()},
          {"title", s.title},
          {"created", number(s.created.sinceReferenceDate)},
          {"modified", number(s.modified.sinceReferenceDate)},
          {"questionCount", s.questionCount},
          {"versionCount", s.versionCount},
          {"sheetCount", s.sheetCount},
          {"openItems", s.openItems}};
}

// The document one record at a time, so a test with thousands of sheets is
// never held as one JSON tree.
void writeDocument(const ExamDocument &d, const Sink &out) {
  out(R"({"exam":)");
  out(toJSON(d.exam).dump());
  out(R"(,"roster":)");
  out(toJSON(d.roster).dump());
  out(R"(,"sheets":[)");
  for (size_t i = 0; i < d.sheets.size(); ++i) {
    if (i > 0)
      out(",");
    out(toJSON(d.sheets[i]).dump());
  }
  out(R"(],"issues":[)");
  for (size_t i = 0; i < d.issues.size(); ++i) {
    if (i > 0)
      out(",");
    out(toJSON(d.issues[i]).dump());
  }
  out(R"(],"modified":)");
  out(number(d.modified.sinceReferenceDate).dump());
  out("}");
}

// ---------- reading

// A value that doesn't fit, with where it sits ("sheets[3].number") and what is
// wrong with it ("isn't a whole number").
struct CodecError {
  std::string path;
  std::string problem;

  std::string sentence() const {
    return (path.empty() ? std::string("The document") : path) + " " + problem + ".";
  }
};

[[noreturn]] void fail(std::string problem) {
  throw CodecError{{}, std::move(problem)};
}

// Runs `read`, putting `segment` in front of the path of what fails inside it.
template <typename Read> auto within(std::string_view segment, Read read) -> decltype(read()) {
  try {
    return read();
  } catch (CodecError &error) {
    std::string inner = std::move(error.path);
    error.path = std::string(segment);
    if (!inner.empty())
      error.path += (inner.front() == '[' ? "" : ".") + inner;
    throw;
  }
}

const json *optionalField(const json &object, const char *key) {
  if (!object.is_object())
    fail("isn\u2019t an object");
  auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

template <typename Read> auto required(const json &object, const char *key, Read read) {
  const json *value = optionalField(object, key);
  if (!value)
    fail(std::string("has no \u201C") + key + "\u201D");
  return within(key, [&] { return read(*value); });
}

template <typename Read>
auto optional(const json &object, const char *key, Read read)
    -> std::optional<decltype(read(object))> {
  const json *value = optionalField(object, key);
  if (!value)
    return std::nullopt;
  return within(key, [&] { return read(*value); });
}

int asInt(const json &value) {
  if (!value.is_number_integer())
    fail("isn\u2019t a whole number");
  if (value.is_number_unsigned()) {
    auto u = value.get<uint64_t>();
    if (u > static_cast<uint64_t>(INT32_MAX))
      fail("is out of range");
    return static_cast<int>(u);
  }
  auto i = value.get<int64_t>();
  if (i < INT32_MIN || i > INT32_MAX)
    fail("is out of range");
  return static_cast<int>(i);
}

uint64_t asUInt64(const json &value) {
  if (value.is_number_unsigned())
    return value.get<uint64_t>();
  if (value.is_number_integer() && value.get<int64_t>() >= 0)
    return static_cast<uint64_t>(value.get<int64_t>());
  fail("isn\u2019t an unsigned whole number");
}

double asDouble(const json &value) {
  if (!value.is_number())
    fail("isn\u2019t a number");
  return value.get<double>();
}

bool asBool(const json &value) {
  if (!value.is_boolean())
    fail("isn\u2019t true or false");
  return value.get<bool>();
}

std::string asString(const json &value) {
  if (!value.is_string())
    fail("isn\u2019t a string");
  return value.get<std::string>();
}

Uuid asUuid(const json &value) {
  auto uuid = Uuid::parse(asString(value));
  if (!uuid)
    fail("isn\u2019t a UUID");
  return *uuid;
}

Bytes asData(const json &value) {
  auto bytes = Base64::decode(asString(value));
  if (!bytes)
    fail("isn\u2019t Base64 data");
  return *bytes;
}

Date asDate(const json &value) {
  return {asDouble(value)};
}

template <typename T, typename Read> std::vector<T> arrayOf(const json &value, Read read) {
  if (!value.is_array())
    fail("isn\u2019t an array");
  std::vector<T> out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i)
    out.push_back(within("[" + std::to_string(i) + "]", [&] { return read(value[i]); }));
  return out;
}

std::vector<int> ints(const json &value) {
  return arrayOf<int>(value, asInt);
}
std::vector<double> doubles(const json &value) {
  return arrayOf<double>(value, asDouble);
}

// The one case name of an enumeration with payloads, and its "_0" payload if any.
std::pair<std::string, const json *> payloadCaseOf(const json &value,
                                                   std::initializer_list<std::string_view> cases) {
  if (!value.is_object())
    fail("isn\u2019t an object");
  std::optional<std::string> name;
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (std::find(cases.begin(), cases.end(), it.key()) == cases.end())
      continue;
    if (name)
      fail("holds two cases");
    name = it.key();
  }
  if (!name)
    fail("holds no known case");
  const json &inner = value.at(*name);
  if (!inner.is_object())
    within(*name, [] { fail("isn\u2019t an object"); });
  return {*name, optionalField(inner, "_0")};
}

template <typename Read> auto payload(const std::string &name, const json *value, Read read) {
  return within(name, [&] {
    if (!value)
      fail("has no \u201C_0\u201D");
    return within("_0", [&] { return read(*value); });
  });
}

Paper paperFrom(const json &value) {
  auto paper = PaperInfo::fromRawValue(asString(value));
  if (!paper)
    fail("isn\u2019t a paper size");
  return *paper;
}

QuestionKey questionKeyFrom(const json &j) {
  auto correct = required(j, "correct", ints);
  return {std::set<int>(correct.begin(), correct.end()), required(j, "points", asDouble),
          required(j, "dropped", asBool)};
}

ExamVersion versionFrom(const json &j) {
  ExamVersion v{required(j, "letter", asInt), required(j, "order", ints), {}};
  v.choiceOrder =
      optional(j, "choiceOrder", [](const json &o) { return arrayOf<std::vector<int>>(o, ints); });
  return v;
}

LayoutSignature signatureFrom(const json &j) {
  return {required(j, "questionCount", asInt), required(j, "choiceCount", asInt),
          required(j, "idDigits", asInt), required(j, "paper", paperFrom)};
}

Exam examFrom(const json &j) {
  Exam e;
  e.id = required(j, "id", asUuid);
  e.title = required(j, "title", asString);
  e.created = required(j, "created", asDate);
  e.questionCount = required(j, "questionCount", asInt);
  e.choiceCount = required(j, "choiceCount", asInt);
  e.idDigits = required(j, "idDigits", asInt);
  e.paper = required(j, "paper", paperFrom);
  e.key =
      required(j, "key", [](const json &k) { return arrayOf<QuestionKey>(k, questionKeyFrom); });
  e.versions =
      required(j, "versions", [](const json &v) { return arrayOf<ExamVersion>(v, versionFrom); });
  e.shuffleChoices = required(j, "shuffleChoices", asBool);
  e.seed = required(j, "seed", asUInt64);
  return e;
}

Student studentFrom(const json &s) {
  return {required(s, "id", asString), required(s, "firstName", asString),
          required(s, "lastName", asString)};
}

Roster rosterFrom(const json &j) {
  Roster r;
  r.students =
      required(j, "students", [](const json &s) { return arrayOf<Student>(s, studentFrom); });
  r.sourceName = optional(j, "sourceName", asString);
  return r;
}

MarkRead markFrom(const json &j) {
  MarkRead m;
  m.fills = required(j, "fills", doubles);
  m.choice = optional(j, "choice", asInt);
  m.flag = optional(j, "flag", [](const json &v) {
    auto flag = MarkFlagInfo::fromRawValue(asString(v));
    if (!flag)
      fail("isn\u2019t a mark flag");
    return *flag;
  });
  m.strongest = optional(j, "strongest", asInt);
  return m;
}

std::vector<MarkRead> marksFrom(const json &j) {
  return arrayOf<MarkRead>(j, markFrom);
}

// A page's corner method, or null where it wasn't recorded.
std::optional<CornerMethod> cornerMethodFrom(const json &value) {
  if (value.is_null())
    return std::nullopt;
  auto method = CornerMethodInfo::fromRawValue(asString(value));
  if (!method)
    fail("isn\u2019t a corner method");
  return method;
}

NameRead nameFrom(const json &j) {
  return {
      required(j, "text", asString),
      required(j, "alternatives", [](const json &a) { return arrayOf<std::string>(a, asString); }),
      required(j, "confidence", asDouble)};
}

Resolution resolutionFrom(const json &j) {
  auto [name, value] = payloadCaseOf(j, {"choice", "blank", "student", "accept", "exclude"});
  if (name == "choice")
    return Resolution::choice(payload(name, value, asInt));
  if (name == "student")
    return Resolution::student(payload(name, value, asString));
  if (name == "blank")
    return Resolution::blank();
  if (name == "accept")
    return Resolution::accept();
  return Resolution::exclude();
}

PageProblem problemFrom(const json &j) {
  auto [name, value] = payloadCaseOf(j, {"noCode", "noMarks", "otherExam", "layoutChanged"});
  if (name == "otherExam")
    return PageProblem::otherExam(payload(name, value, asString));
  if (name == "layoutChanged")
    return PageProblem::layoutChanged(payload(name, value, signatureFrom));
  if (name == "noMarks")
    return PageProblem::noMarks();
  return PageProblem::noCode();
}

ReviewFlag flagFrom(const json &j) {
  ReviewFlag f;
  f.id = required(j, "id", asUuid);
  f.kind = required(j, "kind", [](const json &k) {
    auto kind = FlagKindInfo::fromRawValue(asString(k));
    if (!kind)
      fail("isn\u2019t a flag kind");
    return *kind;
  });
  f.position = optional(j, "position", asInt);
  f.crop = optional(j, "crop", asData);
  f.fills = required(j, "fills", doubles);
  f.suggestion = optional(j, "suggestion", asInt);
  f.note = required(j, "note", asString);
  f.resolution = optional(j, "resolution", resolutionFrom);
  return f;
}

ScannedSheet sheetFrom(const json &j) {
  ScannedSheet s;
  s.id = required(j, "id", asUuid);
  s.number = required(j, "number", asInt);
  s.source = required(j, "source", asString);
  s.sourcePages = required(j, "sourcePages", ints);
  s.version = required(j, "version", asInt);
  s.marks = required(j, "marks", marksFrom);
  s.idColumns = required(j, "idColumns", marksFrom);
  s.readID = required(j, "readID", asString);
  s.pageImages = required(j, "pageImages", [](const json &p) { return arrayOf<Uuid>(p, asUuid); });
  s.idImage = optional(j, "idImage", asUuid);
  s.nameImage = optional(j, "nameImage", asUuid);
  s.idCrop = optional(j, "idCrop", asData);
  s.flags = required(j, "flags", [](const json &f) { return arrayOf<ReviewFlag>(f, flagFrom); });
  s.excluded = required(j, "excluded", asBool);
  s.gradedAt = required(j, "gradedAt", asDate);
  s.name = optional(j, "name", nameFrom);
  s.nameCrop = optional(j, "nameCrop", asData);
  s.rescanned = optional(j, "rescanned", asDate);
  s.sourceDigest = optional(j, "sourceDigest", asString);
  if (auto methods = optional(j, "cornerMethods", [](const json &m) {
        return arrayOf<std::optional<CornerMethod>>(m, cornerMethodFrom);
      }))
    s.cornerMethods = std::move(*methods);
  return s;
}

ScanIssue issueFrom(const json &j) {
  ScanIssue i;
  i.id = required(j, "id", asUuid);
  i.source = required(j, "source", asString);
  i.sourcePage = required(j, "sourcePage", asInt);
  i.problem = optional(j, "problem", problemFrom);
  i.orphanPage = optional(j, "orphanPage", asInt);
  i.image = optional(j, "image", asUuid);
  i.dismissed = required(j, "dismissed", asBool);
  i.sourceDigest = optional(j, "sourceDigest", asString);
  return i;
}

SheetIdentity identityFrom(const json &j) {
  return {required(j, "examCode", asString), required(j, "version", asInt),
          required(j, "page", asInt), required(j, "signature", signatureFrom),
          optional(j, "isKey", asBool).value_or(false)};
}

ExamDocument documentFrom(const json &j) {
  return {required(j, "exam", examFrom), required(j, "roster", rosterFrom),
          required(j, "sheets", [](const json &s) { return arrayOf<ScannedSheet>(s, sheetFrom); }),
          required(j, "issues", [](const json &i) { return arrayOf<ScanIssue>(i, issueFrom); }),
          required(j, "modified", asDate)};
}

DocumentSummary summaryFrom(const json &j) {
  return {required(j, "id", asUuid),           required(j, "title", asString),
          required(j, "created", asDate),      required(j, "modified", asDate),
          required(j, "questionCount", asInt), required(j, "versionCount", asInt),
          required(j, "sheetCount", asInt),    required(j, "openItems", asInt)};
}

// Parses refusing an object that names a key twice: which of the two a reader
// keeps is up to the reader, so such a file can't be taken as written.
json parseStrict(std::string_view text) {
  std::vector<std::unordered_set<std::string>> keys;
  return json::parse(text, [&keys](int, json::parse_event_t event, json &parsed) {
    switch (event) {
    case json::parse_event_t::object_start:
      keys.emplace_back();
      break;
    case json::parse_event_t::object_end:
      keys.pop_back();
      break;
    case json::parse_event_t::key:
      if (!keys.back().insert(parsed.get<std::string>()).second)
        fail("names \u201C" + parsed.get<std::string>() + "\u201D twice in one object");
      break;
    default:
      break;
    }
    return true;
  });
}

template <typename T, typename Read>
std::expected<T, Failure> parseWith(std::string_view text, Read read) {
  try {
    return read(parseStrict(text));
  } catch (const CodecError &error) {
    return std::unexpected(Failure{error.sentence()});
  } catch (const json::parse_error &error) {
    if (error.byte >= text.size())
      return std::unexpected(Failure{"The file ends too early; it may have been cut off."});
    return std::unexpected(
        Failure{"The file isn\u2019t valid JSON near byte " + std::to_string(error.byte) + "."});
  } catch (const json::exception &) {
    return std::unexpected(Failure{"The file isn\u2019t valid JSON."});
  }
}

} // namespace

std::string encode(const SheetIdentity &identity) {
  return json{{"examCode", identity.examCode},
              {"version", identity.version},
              {"page", identity.page},
              {"signature", toJSON(identity.signature)},
              {"isKey", identity.isKey}}
      .dump();
}

std::string encode(const PageOutcome &page) {
  json questions = json::array();
  for (const QuestionRead &row : page.questions)
    questions.push_back({{"position", row.position}, {"mark", toJSON(row.mark)}});
  json out{{"source", page.source},
           {"sourcePage", page.sourcePage},
           {"questions", std::move(questions)},
           {"idColumns", toJSON(page.idColumns)},
           {"blackAndWhite", page.blackAndWhite}};
  if (page.identity)
    out["identity"] = json::parse(encode(*page.identity));
  if (page.problem)
    out["problem"] = toJSON(*page.problem);
  if (page.method)
    out["method"] = CornerMethodInfo::rawValue(*page.method);
  if (page.name)
    out["name"] = toJSON(*page.name);
  return out.dump();
}

std::expected<SheetIdentity, Failure> decodeIdentity(std::string_view text) {
  return parseWith<SheetIdentity>(text, identityFrom);
}

std::expected<void, Failure> encode(const ExamDocument &document, const Sink &write) {
  try {
    writeDocument(document, write);
    return {};
  } catch (const NotEncodable &error) {
    return std::unexpected(Failure{error.what()});
  } catch (const json::exception &) {
    return std::unexpected(Failure{"The document holds text that isn’t valid UTF-8."});
  }
}

std::expected<std::string, Failure> encode(const ExamDocument &document) {
  std::string text;
  auto written = encode(document, [&text](std::string_view piece) { text.append(piece); });
  if (!written)
    return std::unexpected(written.error());
  return text;
}

std::expected<std::string, Failure> encode(const DocumentSummary &summary) {
  try {
    return toJSON(summary).dump();
  } catch (const std::exception &error) {
    return std::unexpected(Failure{error.what()});
  }
}

std::expected<DocumentSummary, Failure> decodeSummary(std::string_view text) {
  return parseWith<DocumentSummary>(text, summaryFrom);
}

std::expected<ExamDocument, Failure> decode(std::string_view text) {
  return parseWith<ExamDocument>(text, documentFrom);
}

std::string encode(const LayoutSignature &signature) {
  return toJSON(signature).dump();
}

std::expected<LayoutSignature, Failure> decodeSignature(std::string_view text) {
  return parseWith<LayoutSignature>(text, signatureFrom);
}

} // namespace ovalon::DocumentJSON
