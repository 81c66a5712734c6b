// The XML property-list writer and reader.

#include <gtest/gtest.h>

#include <string>

#include "CoreFoundation.h"

namespace {

CFDataRef DataOf(const std::string& text) {
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size()));
}

std::string TextOf(CFDataRef data) {
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
}

// Reads `text`; null (and the error text in `error`) when refused.
CFPropertyListRef Read(const std::string& text, std::string* error = nullptr) {
  CFDataRef data = DataOf(text);
  CFErrorRef cfError = nullptr;
  CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &cfError);
  CFRelease(data);
  if (cfError) {
    CFStringRef d = CFErrorCopyDescription(cfError);
    if (error) *error = CFStringGetCStringPtr(d, kCFStringEncodingUTF8);
    CFRelease(d);
    CFRelease(cfError);
  }
  return list;
}

std::string Document(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

CFMutableDictionaryRef Sample() {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SInt32 negative = -123456;
  SInt64 big = SInt64(1) << 40;
  Float64 real = 0.1;
  const UInt8 raw[] = {0, 1, 2, 0xFF, 0xFE};
  CFNumberRef n1 = CFNumberCreate(nullptr, kCFNumberSInt32Type, &negative);
  CFNumberRef n2 = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
  CFNumberRef n3 = CFNumberCreate(nullptr, kCFNumberFloat64Type, &real);
  CFDataRef data = CFDataCreate(nullptr, raw, sizeof raw);
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(array, CFSTR("<&> \"quoted\" caf\xC3\xA9"));
  CFArrayAppendValue(array, kCFBooleanTrue);
  CFArrayAppendValue(array, kCFBooleanFalse);
  CFMutableDictionaryRef inner =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFArrayAppendValue(array, inner);
  CFDictionarySetValue(dict, CFSTR("negative"), n1);
  CFDictionarySetValue(dict, CFSTR("big"), n2);
  CFDictionarySetValue(dict, CFSTR("real"), n3);
  CFDictionarySetValue(dict, CFSTR("data"), data);
  CFDictionarySetValue(dict, CFSTR("array"), array);
  CFDictionarySetValue(dict, CFSTR("empty"), CFSTR(""));
  for (CFTypeRef o : {CFTypeRef(n1), CFTypeRef(n2), CFTypeRef(n3), CFTypeRef(data), CFTypeRef(array), CFTypeRef(inner)})
    CFRelease(o);
  return dict;
}

TEST(PropertyList, WriteThenReadGivesAnEqualTree) {
  CFMutableDictionaryRef dict = Sample();
  CFErrorRef error = nullptr;
  CFDataRef xml = CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, &error);
  ASSERT_NE(xml, nullptr);
  EXPECT_EQ(error, nullptr);
  const std::string text = TextOf(xml);
  EXPECT_NE(text.find("<key>array</key>"), std::string::npos);
  EXPECT_LT(text.find("<key>array</key>"), text.find("<key>big</key>"));  // keys sorted
  EXPECT_NE(text.find("&lt;&amp;&gt;"), std::string::npos);
  CFPropertyListRef back = Read(text);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(CFEqual(back, dict));
  CFRelease(back);
  CFRelease(xml);
  CFRelease(dict);
}

TEST(PropertyList, ReadsWhatOtherWritersProduce) {
  const std::string text =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC \"x\" \"y\">\n<!-- made elsewhere -->\n"
      "<plist version=\"1.0\"><dict><key>a</key><integer>+12</integer><key>b</key><string/>"
      "<key>c</key><data>AAEC\n  /w==</data><key>d</key><array/><key>e</key><dict/>"
      "<key>f</key><string>&#x263A;&#65;&quot;&apos;</string><key>g</key><real>1e3</real></dict></plist>";
  std::string error;
  CFPropertyListRef list = Read(text, &error);
  ASSERT_NE(list, nullptr) << error;
  auto dict = static_cast<CFDictionaryRef>(list);
  SInt32 a = 0;
  EXPECT_TRUE(
      CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("a"))), kCFNumberSInt32Type, &a));
  EXPECT_EQ(a, 12);
  EXPECT_EQ(CFDataGetLength(static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("c")))), 4);
  EXPECT_STREQ(
      CFStringGetCStringPtr(static_cast<CFStringRef>(CFDictionaryGetValue(dict, CFSTR("f"))), kCFStringEncodingUTF8),
      "\xE2\x98\xBA"
      "A\"'");
  CFRelease(list);
}

TEST(PropertyList, MalformedDocumentsAreRefusedWithAReason) {
  const char* bodies[] = {
      "<dict><key>a</key></dict>",                                                      // key without value
      "<dict><key>a</key><string>x</string>",                                           // unclosed dict
      "<dict><string>x</string></dict>",                                                // value without key
      "<dict><key>a</key><integer>1</integer><key>a</key><integer>2</integer></dict>",  // duplicate key
      "<integer>12x</integer>",
      "<integer>99999999999999999999999</integer>",
      "<integer></integer>",
      "<real>abc</real>",
      "<data>A===</data>",
      "<data>AB$C</data>",
      "<date>2020-01-01T00:00:00Z</date>",  // not read
      "<string>&bogus;</string>",
      "<string>&#0;</string>",
      "<string>&#xD800;</string>",
      "<string>a<b/></string>",
      "<array><string>x</string></dict>",
      "<true>yes</true>",
      "",
  };
  for (const char* body : bodies) {
    std::string error;
    CFPropertyListRef list = Read(Document(body), &error);
    EXPECT_EQ(list, nullptr) << body;
    EXPECT_FALSE(error.empty()) << body;
    if (list) CFRelease(list);
  }
  EXPECT_EQ(Read("<plist version=\"1.0\"><string>x</string></plist>trailing"), nullptr);
  EXPECT_EQ(Read("<notplist/>"), nullptr);
  EXPECT_EQ(Read(""), nullptr);
}

TEST(PropertyList, EveryTruncationOfAValidDocumentIsRefused) {
  CFMutableDictionaryRef dict = Sample();
  CFDataRef xml = CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  const std::string text = TextOf(xml);
  // Everything up to the closing tag is needed; what follows it is white space.
  const size_t needed = text.rfind("</plist>") + 8;
  for (size_t n = 0; n < needed; ++n) {
    CFPropertyListRef list = Read(text.substr(0, n));
    EXPECT_EQ(list, nullptr) << n;
    if (list) CFRelease(list);
  }
  CFPropertyListRef whole = Read(text.substr(0, needed));
  EXPECT_NE(whole, nullptr);
  CFRelease(whole);
  CFRelease(xml);
  CFRelease(dict);
}

TEST(PropertyList, NestingIsLimited) {
  std::string deep, shallow;
  for (int i = 0; i < 65; ++i) shallow += "<array>";
  for (int i = 0; i < 65; ++i) shallow += "</array>";
  for (int i = 0; i < 66; ++i) deep += "<array>";
  for (int i = 0; i < 66; ++i) deep += "</array>";
  CFPropertyListRef ok = Read(Document(shallow));
  EXPECT_NE(ok, nullptr);
  CFRelease(ok);
  std::string error;
  EXPECT_EQ(Read(Document(deep), &error), nullptr);
  EXPECT_NE(error.find("deeper"), std::string::npos);
  EXPECT_EQ(Read(Document(std::string(100000, '<'))), nullptr);
}

TEST(PropertyList, OnlyPropertyListTypesAreWritten) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFErrorRef error = CFErrorCreateWithText("an error is no property-list value");
  CFDictionarySetValue(dict, CFSTR("bad"), error);
  CFErrorRef writeError = nullptr;
  EXPECT_EQ(CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, &writeError), nullptr);
  EXPECT_NE(writeError, nullptr);
  CFRelease(writeError);
  CFDictionaryRemoveValue(dict, CFSTR("bad"));
  SInt32 one = 1;
  CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFDictionarySetValue(dict, key, CFSTR("number keys are not allowed"));
  EXPECT_EQ(CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, nullptr), nullptr);
  CFRelease(key);
  CFRelease(error);
  CFRelease(dict);
}

// What the writer cannot write the reader does not accept, as other XML
// readers would not.
TEST(PropertyList, TextAnXmlReaderWouldRefuseIsRefused) {
  for (const char* body : {"<string>bell\x07</string>", "<string>caf\xE9</string>", "<string>\xC0\xAF</string>",
                           "<string>&#7;</string>", "<string>&#xFFFE;</string>", "<key>\x01</key>"}) {
    std::string error;
    EXPECT_EQ(Read(Document(body), &error), nullptr) << body;
    EXPECT_FALSE(error.empty()) << body;
  }
  CFPropertyListRef kept = Read(Document("<string>tab\t&#9;cr&#13;caf\xC3\xA9</string>"));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(std::string(CFStringGetCStringPtr(static_cast<CFStringRef>(kept), kCFStringEncodingUTF8)),
            "tab\t\tcr\rcaf\xC3\xA9");
  CFRelease(kept);
}

// What an XML reader would refuse is not written; what it would change (a
// carriage return becomes a newline) is written as a reference.
TEST(PropertyList, TextIsWrittenOnlyAsXmlCanCarryIt) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dict, CFSTR("lines"), CFSTR("one\r\ntwo\tthree \xF0\x9F\x8E\xB9"));
  CFDataRef written = CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  ASSERT_NE(written, nullptr);
  const std::string xml = TextOf(written);
  EXPECT_NE(xml.find("one&#13;\ntwo"), std::string::npos);
  EXPECT_EQ(xml.find('\r'), std::string::npos);
  CFPropertyListRef back = Read(xml);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(CFEqual(back, dict));
  CFRelease(back);
  CFRelease(written);

  for (const char* unwritable : {"bell\x07", "cut \xC3", "latin-1 caf\xE9", "overlong \xC0\xAF",
                                 "surrogate \xED\xA0\x80", "not a character \xEF\xBF\xBE"}) {
    CFStringRef text = CFStringCreateWithCString(nullptr, unwritable, kCFStringEncodingUTF8);
    CFDictionarySetValue(dict, CFSTR("lines"), text);
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, &error), nullptr) << unwritable;
    EXPECT_NE(error, nullptr);
    if (error) CFRelease(error);
    CFDictionaryRemoveValue(dict, CFSTR("lines"));
    CFDictionarySetValue(dict, text, CFSTR("as a key"));
    EXPECT_EQ(CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, nullptr), nullptr)
        << unwritable;
    CFDictionaryRemoveValue(dict, text);
    CFRelease(text);
  }
  CFRelease(dict);
}

}  // namespace
