#include "model/TextCompare.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace ovalon::TextCompare {
namespace {

icu::Locale collationLocale() {
  icu::Locale locale = icu::Locale::getDefault();
  // A "C" or "POSIX" environment gives en_US_POSIX, whose collation sorts every capital
  // before every small letter; a list of names should not depend on that.
  if (std::string_view(locale.getVariant()) == "POSIX")
    return icu::Locale::getRoot();
  return locale;
}

std::unique_ptr<icu::Collator> makeCollator() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(collationLocale(), status));
  if (U_FAILURE(status) || !collator) {
    status = U_ZERO_ERROR;
    collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status))
      return nullptr;
  }
  // Secondary strength: accents count, case does not.
  collator->setStrength(icu::Collator::SECONDARY);
  collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  return U_SUCCESS(status) ? std::move(collator) : nullptr;
}

// Opening a collator loads locale data, so it happens once; each thread then works on its own
// clone, which keeps concurrent comparisons safe without a lock.
icu::Collator *threadCollator() {
  static const std::unique_ptr<icu::Collator> prototype = makeCollator();
  thread_local const std::unique_ptr<icu::Collator> collator(prototype ? prototype->clone()
                                                                       : nullptr);
  return collator.get();
}

std::unique_ptr<icu::Transliterator> makeFolder() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> folder(icu::Transliterator::createInstance(
      "NFD; [:Nonspacing Mark:] Remove; Fullwidth-Halfwidth", UTRANS_FORWARD, status));
  return U_SUCCESS(status) ? std::move(folder) : nullptr;
}

icu::Transliterator *threadFolder() {
  static const std::unique_ptr<icu::Transliterator> prototype = makeFolder();
  thread_local const std::unique_ptr<icu::Transliterator> folder(prototype ? prototype->clone()
                                                                           : nullptr);
  return folder.get();
}

icu::UnicodeString unicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

} // namespace

std::weak_ordering localizedStandardCompare(std::string_view a, std::string_view b) {
  icu::Collator *collator = threadCollator();
  if (!collator) {
    // Without collation data, folded code-point order is the closest stand-in.
    auto c = fold(a) <=> fold(b);
    return c < 0   ? std::weak_ordering::less
           : c > 0 ? std::weak_ordering::greater
                   : std::weak_ordering::equivalent;
  }
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result =
      collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                            icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
  if (result == UCOL_LESS)
    return std::weak_ordering::less;
  if (result == UCOL_GREATER)
    return std::weak_ordering::greater;
  return std::weak_ordering::equivalent;
}

std::string fold(std::string_view text) {
  icu::UnicodeString folded = unicode(text);
  if (icu::Transliterator *folder = threadFolder())
    folder->transliterate(folded);
  folded.foldCase();
  UErrorCode status = U_ZERO_ERROR;
  if (const icu::Normalizer2 *nfc = icu::Normalizer2::getNFCInstance(status); U_SUCCESS(status)) {
    icu::UnicodeString composed = nfc->normalize(folded, status);
    if (U_SUCCESS(status))
      folded = composed;
  }
  std::string out;
  folded.toUTF8String(out);
  return out;
}

std::u32string codePoints(std::string_view text) {
  icu::UnicodeString string = unicode(text);
  std::u32string out;
  out.reserve(static_cast<size_t>(string.length()));
  for (int32_t i = 0; i < string.length(); i = string.moveIndex32(i, 1))
    out.push_back(static_cast<char32_t>(string.char32At(i)));
  return out;
}

std::string utf8(std::u32string_view codePoints) {
  icu::UnicodeString string;
  for (char32_t c : codePoints)
    string.append(static_cast<UChar32>(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) ? c : 0xFFFD));
  std::string out;
  string.toUTF8String(out);
  return out;
}

bool isLetter(char32_t c) {
  return u_isalpha(static_cast<UChar32>(c));
}

bool isWhiteSpace(char32_t c) {
  return u_isUWhiteSpace(static_cast<UChar32>(c));
}

} // namespace ovalon::TextCompare
