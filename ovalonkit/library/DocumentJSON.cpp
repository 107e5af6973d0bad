#include "library/DocumentJSON.h"

#include "model/Base64.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <stdexcept>

namespace ovalon::DocumentJSON {

namespace {

using json = nlohmann::json;

// Thrown inside this file only; the public functions turn it into a Failure.
struct CodecError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---------- writing

json number(double value) {
  if (!std::isfinite(value))
    throw CodecError("A number in the document isn’t finite.");
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
  if (s.idCrop)
    out["idCrop"] = Base64::encode(*s.idCrop);
  if (s.name)
    out["name"] = toJSON(*s.name);
  if (s.nameCrop)
    out["nameCrop"] = Base64::encode(*s.nameCrop);
  if (s.rescanned)
    out["rescanned"] = number(s.rescanned->sinceReferenceDate);
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
  return out;
}

json toJSON(const ExamDocument &d) {
  json sheets = json::array();
  for (const ScannedSheet &s : d.sheets)
    sheets.push_back(toJSON(s));
  json issues = json::array();
  for (const ScanIssue &i : d.issues)
    issues.push_back(toJSON(i));
  return {{"exam", toJSON(d.exam)},
          {"roster", toJSON(d.roster)},
          {"sheets", std::move(sheets)},
          {"issues", std::move(issues)},
          {"modified", number(d.modified.sinceReferenceDate)}};
}

// ---------- reading

const json &field(const json &object, const char *key) {
  if (!object.is_object())
    throw CodecError(std::string("Expected an object holding “") + key + "”.");
  auto found = object.find(key);
  if (found == object.end())
    throw CodecError(std::string("The key “") + key + "” is missing.");
  return *found;
}

const json *optionalField(const json &object, const char *key) {
  auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

int asInt(const json &value) {
  if (!value.is_number_integer())
    throw CodecError("Expected a whole number.");
  if (value.is_number_unsigned()) {
    auto u = value.get<uint64_t>();
    if (u > static_cast<uint64_t>(INT32_MAX))
      throw CodecError("A whole number is out of range.");
    return static_cast<int>(u);
  }
  auto i = value.get<int64_t>();
  if (i < INT32_MIN || i > INT32_MAX)
    throw CodecError("A whole number is out of range.");
  return static_cast<int>(i);
}

uint64_t asUInt64(const json &value) {
  if (!value.is_number_unsigned()) {
    if (value.is_number_integer() && value.get<int64_t>() >= 0)
      return static_cast<uint64_t>(value.get<int64_t>());
    throw CodecError("Expected an unsigned whole number.");
  }
  return value.get<uint64_t>();
}

double asDouble(const json &value) {
  if (!value.is_number())
    throw CodecError("Expected a number.");
  return value.get<double>();
}

bool asBool(const json &value) {
  if (!value.is_boolean())
    throw CodecError("Expected true or false.");
  return value.get<bool>();
}

std::string asString(const json &value) {
  if (!value.is_string())
    throw CodecError("Expected a string.");
  return value.get<std::string>();
}

const json &asArray(const json &value) {
  if (!value.is_array())
    throw CodecError("Expected an array.");
  return value;
}

Uuid asUuid(const json &value) {
  auto uuid = Uuid::parse(asString(value));
  if (!uuid)
    throw CodecError("Expected a UUID.");
  return *uuid;
}

Bytes asData(const json &value) {
  auto bytes = Base64::decode(asString(value));
  if (!bytes)
    throw CodecError("Expected Base64 data.");
  return *bytes;
}

Date asDate(const json &value) {
  return {asDouble(value)};
}

template <typename T, typename Read> std::vector<T> arrayOf(const json &value, Read read) {
  std::vector<T> out;
  for (const json &element : asArray(value))
    out.push_back(read(element));
  return out;
}

std::vector<int> ints(const json &value) {
  return arrayOf<int>(value, asInt);
}
std::vector<double> doubles(const json &value) {
  return arrayOf<double>(value, asDouble);
}

template <typename T, typename Read>
std::optional<T> optionalOf(const json &object, const char *key, Read read) {
  const json *value = optionalField(object, key);
  if (!value)
    return std::nullopt;
  return read(*value);
}

// The one case name of an enumeration with payloads, and its "_0" payload if any.
std::pair<std::string, const json *> payloadCaseOf(const json &value,
                                                   std::initializer_list<std::string_view> cases) {
  if (!value.is_object())
    throw CodecError("Expected an object.");
  std::optional<std::string> name;
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (std::find(cases.begin(), cases.end(), it.key()) == cases.end())
      continue;
    if (name)
      throw CodecError("An enumeration holds two cases.");
    name = it.key();
  }
  if (!name)
    throw CodecError("An enumeration holds no known case.");
  const json &inner = value.at(*name);
  if (!inner.is_object())
    throw CodecError("Expected an object.");
  return {*name, optionalField(inner, "_0")};
}

const json &payload(const json *value) {
  if (!value)
    throw CodecError("The key “_0” is missing.");
  return *value;
}

Paper paperFrom(const json &value) {
  auto paper = PaperInfo::fromRawValue(asString(value));
  if (!paper)
    throw CodecError("Unknown paper size.");
  return *paper;
}

QuestionKey questionKeyFrom(const json &j) {
  auto correct = ints(field(j, "correct"));
  return {std::set<int>(correct.begin(), correct.end()), asDouble(field(j, "points")),
          asBool(field(j, "dropped"))};
}

ExamVersion versionFrom(const json &j) {
  ExamVersion v{asInt(field(j, "letter")), ints(field(j, "order")), {}};
  v.choiceOrder = optionalOf<std::vector<std::vector<int>>>(
      j, "choiceOrder", [](const json &o) { return arrayOf<std::vector<int>>(o, ints); });
  return v;
}

LayoutSignature signatureFrom(const json &j) {
  return {asInt(field(j, "questionCount")), asInt(field(j, "choiceCount")),
          asInt(field(j, "idDigits")), paperFrom(field(j, "paper"))};
}

Exam examFrom(const json &j) {
  Exam e;
  e.id = asUuid(field(j, "id"));
  e.title = asString(field(j, "title"));
  e.created = asDate(field(j, "created"));
  e.questionCount = asInt(field(j, "questionCount"));
  e.choiceCount = asInt(field(j, "choiceCount"));
  e.idDigits = asInt(field(j, "idDigits"));
  e.paper = paperFrom(field(j, "paper"));
  e.key = arrayOf<QuestionKey>(field(j, "key"), questionKeyFrom);
  e.versions = arrayOf<ExamVersion>(field(j, "versions"), versionFrom);
  e.shuffleChoices = asBool(field(j, "shuffleChoices"));
  e.seed = asUInt64(field(j, "seed"));
  return e;
}

Roster rosterFrom(const json &j) {
  Roster r;
  r.students = arrayOf<Student>(field(j, "students"), [](const json &s) {
    return Student{asString(field(s, "id")), asString(field(s, "firstName")),
                   asString(field(s, "lastName"))};
  });
  r.sourceName = optionalOf<std::string>(j, "sourceName", asString);
  return r;
}

MarkRead markFrom(const json &j) {
  MarkRead m;
  m.fills = doubles(field(j, "fills"));
  m.choice = optionalOf<int>(j, "choice", asInt);
  m.flag = optionalOf<MarkFlag>(j, "flag", [](const json &v) {
    auto flag = MarkFlagInfo::fromRawValue(asString(v));
    if (!flag)
      throw CodecError("Unknown mark flag.");
    return *flag;
  });
  m.strongest = optionalOf<int>(j, "strongest", asInt);
  return m;
}

// A page's corner method, or null where it wasn't recorded.
std::optional<CornerMethod> cornerMethodFrom(const json &value) {
  if (value.is_null())
    return std::nullopt;
  auto method = CornerMethodInfo::fromRawValue(asString(value));
  if (!method)
    throw CodecError("Unknown corner method.");
  return method;
}

NameRead nameFrom(const json &j) {
  return {asString(field(j, "text")), arrayOf<std::string>(field(j, "alternatives"), asString),
          asDouble(field(j, "confidence"))};
}

Resolution resolutionFrom(const json &j) {
  auto [name, value] = payloadCaseOf(j, {"choice", "blank", "student", "accept", "exclude"});
  if (name == "choice")
    return Resolution::choice(asInt(payload(value)));
  if (name == "student")
    return Resolution::student(asString(payload(value)));
  if (name == "blank")
    return Resolution::blank();
  if (name == "accept")
    return Resolution::accept();
  return Resolution::exclude();
}

PageProblem problemFrom(const json &j) {
  auto [name, value] = payloadCaseOf(j, {"noCode", "noMarks", "otherExam", "layoutChanged"});
  if (name == "otherExam")
    return PageProblem::otherExam(asString(payload(value)));
  if (name == "layoutChanged")
    return PageProblem::layoutChanged(signatureFrom(payload(value)));
  if (name == "noMarks")
    return PageProblem::noMarks();
  return PageProblem::noCode();
}

ReviewFlag flagFrom(const json &j) {
  ReviewFlag f;
  f.id = asUuid(field(j, "id"));
  auto kind = FlagKindInfo::fromRawValue(asString(field(j, "kind")));
  if (!kind)
    throw CodecError("Unknown flag kind.");
  f.kind = *kind;
  f.position = optionalOf<int>(j, "position", asInt);
  f.crop = optionalOf<Bytes>(j, "crop", asData);
  f.fills = doubles(field(j, "fills"));
  f.suggestion = optionalOf<int>(j, "suggestion", asInt);
  f.note = asString(field(j, "note"));
  f.resolution = optionalOf<Resolution>(j, "resolution", resolutionFrom);
  return f;
}

ScannedSheet sheetFrom(const json &j) {
  ScannedSheet s;
  s.id = asUuid(field(j, "id"));
  s.number = asInt(field(j, "number"));
  s.source = asString(field(j, "source"));
  s.sourcePages = ints(field(j, "sourcePages"));
  s.version = asInt(field(j, "version"));
  s.marks = arrayOf<MarkRead>(field(j, "marks"), markFrom);
  s.idColumns = arrayOf<MarkRead>(field(j, "idColumns"), markFrom);
  s.readID = asString(field(j, "readID"));
  s.idCrop = optionalOf<Bytes>(j, "idCrop", asData);
  s.pageImages = arrayOf<Uuid>(field(j, "pageImages"), asUuid);
  s.flags = arrayOf<ReviewFlag>(field(j, "flags"), flagFrom);
  s.excluded = asBool(field(j, "excluded"));
  s.gradedAt = asDate(field(j, "gradedAt"));
  s.name = optionalOf<NameRead>(j, "name", nameFrom);
  s.nameCrop = optionalOf<Bytes>(j, "nameCrop", asData);
  s.rescanned = optionalOf<Date>(j, "rescanned", asDate);
  if (const json *methods = optionalField(j, "cornerMethods"))
    s.cornerMethods = arrayOf<std::optional<CornerMethod>>(*methods, cornerMethodFrom);
  return s;
}

ScanIssue issueFrom(const json &j) {
  ScanIssue i;
  i.id = asUuid(field(j, "id"));
  i.source = asString(field(j, "source"));
  i.sourcePage = asInt(field(j, "sourcePage"));
  i.problem = optionalOf<PageProblem>(j, "problem", problemFrom);
  i.orphanPage = optionalOf<int>(j, "orphanPage", asInt);
  i.image = optionalOf<Uuid>(j, "image", asUuid);
  i.dismissed = asBool(field(j, "dismissed"));
  return i;
}

SheetIdentity identityFrom(const json &j) {
  const json *isKey = optionalField(j, "isKey");
  return {asString(field(j, "examCode")), asInt(field(j, "version")), asInt(field(j, "page")),
          signatureFrom(field(j, "signature")), isKey ? asBool(*isKey) : false};
}

ExamDocument documentFrom(const json &j) {
  return {examFrom(field(j, "exam")), rosterFrom(field(j, "roster")),
          arrayOf<ScannedSheet>(field(j, "sheets"), sheetFrom),
          arrayOf<ScanIssue>(field(j, "issues"), issueFrom), asDate(field(j, "modified"))};
}

template <typename T, typename Read>
std::expected<T, Failure> parseWith(std::string_view text, Read read) {
  try {
    return read(json::parse(text));
  } catch (const CodecError &error) {
    return std::unexpected(Failure{error.what()});
  } catch (const json::exception &) {
    return std::unexpected(Failure{"The file isn’t valid JSON."});
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

std::expected<std::string, Failure> encode(const ExamDocument &document) {
  try {
    return toJSON(document).dump();
  } catch (const CodecError &error) {
    return std::unexpected(Failure{error.what()});
  } catch (const json::exception &) {
    return std::unexpected(Failure{"The document holds text that isn’t valid UTF-8."});
  }
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
