#include "scanning/PdfImageProbe.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace ovalon::PdfImageProbe {

namespace {

bool isOneBit(QPDFObjectHandle image) {
  QPDFObjectHandle dict = image.getDict();
  QPDFObjectHandle bits = dict.getKey("/BitsPerComponent");
  QPDFObjectHandle mask = dict.getKey("/ImageMask");
  int bitsPerComponent = bits.isInteger() ? bits.getIntValueAsInt() : 8;
  bool imageMask = mask.isBool() && mask.getBoolValue();
  return bitsPerComponent == 1 || imageMask;
}

bool isImage(QPDFObjectHandle object) {
  if (!object.isStream())
    return false;
  QPDFObjectHandle subtype = object.getDict().getKey("/Subtype");
  return subtype.isName() && subtype.getName() == "/Image";
}

} // namespace

std::set<int> blackAndWhitePages(const std::filesystem::path &path) {
  std::set<int> pages;
  try {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(path.c_str());
    int number = 0;
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
      ++number;
      // Resources may be inherited from the page tree.
      QPDFObjectHandle resources = page.getAttribute("/Resources", false);
      if (!resources.isDictionary())
        continue;
      QPDFObjectHandle xobjects = resources.getKey("/XObject");
      if (!xobjects.isDictionary())
        continue;
      int images = 0;
      int oneBit = 0;
      for (const std::string &key : xobjects.getKeys()) {
        QPDFObjectHandle object = xobjects.getKey(key);
        if (!isImage(object))
          continue;
        ++images;
        oneBit += isOneBit(object);
      }
      if (images > 0 && images == oneBit)
        pages.insert(number);
    }
  } catch (const std::exception &) {
    // A file qpdf cannot read has no pages it can vouch for.
  }
  return pages;
}

} // namespace ovalon::PdfImageProbe
