// lv2ttl FACTORY_BANK BUNDLE: writes BUNDLE/manifest.ttl and BUNDLE/quivertone.ttl,
// the LV2 description of the plug-in, from the parameter table: the 81 control
// ports with the parameters' names, ranges 0…1 and the factory bank's first
// program (the start-up program) as defaults. On/off parameters become toggles;
// parameters whose display texts are a few names (waveforms, filter types)
// become enumerations with a scale point for each name.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "core/uBankFormat.h"
#include "core/uParameters.h"
#include "lib/uCodePage.h"
#include "lib/uGlobals.h"
#include "lv2/uLv2Uris.h"

namespace {

struct TScalePoint {
  float Value;
  std::string Label;
};

// A float as a Turtle decimal, shortest form that reads back the same.
std::string Decimal(float value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::string text(buffer, result.ptr);
  if (text.find('.') == std::string::npos) text += ".0";
  return text;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

bool LooksNumeric(const std::string& text) {
  return !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-');
}

// The scale points of a parameter that is a choice among a few names, else none.
// The texts on a fine grid of values tell the names; the points are the first
// multiples of the coarsest step (1, 0.1 or 0.01) that show each name once.
std::vector<TScalePoint> ChoicesOf(int index, const std::function<float(int)>& valueOf) {
  std::set<std::string> names;
  for (int i = 0; i <= 1000; ++i) {
    const std::string text = qvt::ParameterDisplay(index, static_cast<float>(i) / 1000, valueOf);
    if (LooksNumeric(text)) return {};
    names.insert(text);
  }
  if (names.size() < 2 || names.size() > 8) return {};
  for (const float step : {1.0f, 0.1f, 0.01f}) {
    std::vector<TScalePoint> points;
    std::set<std::string> seen;
    for (std::size_t k = 0; k < names.size(); ++k) {
      const float value = static_cast<float>(k) * step;
      if (value > 1.0f) break;
      const std::string text = qvt::ParameterDisplay(index, value, valueOf);
      if (!seen.insert(text).second) break;
      points.push_back({value, text});
    }
    if (seen == names) return points;
  }
  return {};
}

// A port symbol from a name: lower case, letters, digits and underscores;
// a name seen before gets the index behind it.
std::string Symbol(const std::string& name, int index, std::set<std::string>& used) {
  std::string symbol;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u))
      symbol += static_cast<char>(std::tolower(u));
    else if (!symbol.empty() && symbol.back() != '_')
      symbol += '_';
  }
  while (!symbol.empty() && symbol.back() == '_') symbol.pop_back();
  if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol[0])))
    symbol.insert(symbol.begin(), 'p');
  if (!used.insert(symbol).second) {
    symbol += '_';
    symbol += std::to_string(index);
    used.insert(symbol);
  }
  return symbol;
}

constexpr const char* kProjectUri = "https://quivertone.org/";

constexpr const char* kPrefixes = R"(@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .
@prefix doap:  <http://usefulinc.com/ns/doap#> .
@prefix foaf:  <http://xmlns.com/foaf/0.1/> .
@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .
@prefix midi:  <http://lv2plug.in/ns/ext/midi#> .
@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix time:  <http://lv2plug.in/ns/ext/time#> .
@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .
@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .

)";

void WriteManifest(std::ostream& out) {
  out << kPrefixes;
  out << "<" << qvt::lv2::kPluginUri << ">\n"
      << "    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
      << "    lv2:binary <" << qvt::lv2::kBinaryName << "> ;\n"
      << "    rdfs:seeAlso <quivertone.ttl> .\n\n"
      << "<" << qvt::lv2::kUiUri << ">\n"
      << "    a ui:X11UI ;\n"
      << "    ui:binary <" << qvt::lv2::kBinaryName << "> ;\n"
      << "    rdfs:seeAlso <quivertone.ttl> .\n";
}

void WriteDescription(std::ostream& out, const TProgramRecord& startup) {
  const auto valueOf = [&](int index) {
    return index >= 0 && index < qvt::kNumStoredParams ? startup.Values[index] : 0.0f;
  };
  out << kPrefixes;
  out << "<" << qvt::lv2::kPluginUri << ">\n"
      << "    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
      << "    doap:name " << Quoted(qvt::kEffectName) << " ;\n"
      << "    doap:license <http://usefulinc.com/doap/licenses/gpl> ;\n"
      << "    lv2:project <" << kProjectUri << "> ;\n"
      << "    lv2:minorVersion 2 ;\n"
      << "    lv2:microVersion 0 ;\n"
      << "    lv2:requiredFeature urid:map ;\n"
      << "    lv2:optionalFeature lv2:hardRTCapable , state:mapPath , state:freePath ;\n"
      << "    lv2:extensionData state:interface ;\n"
      << "    ui:ui <" << qvt::lv2::kUiUri << "> ;\n"
      << "    lv2:port";
  std::set<std::string> symbols;
  for (int index = 0; index < qvt::kNumParams; ++index) {
    const std::string name = qvt::Win1252ToUtf8(qvt::ParameterName(index));
    out << (index ? " , [\n" : " [\n") << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(Symbol(name, index, symbols)) << " ;\n"
        << "        lv2:name " << Quoted(name) << " ;\n"
        << "        lv2:default " << Decimal(valueOf(index)) << " ;\n"
        << "        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum 1.0";
    std::vector<TScalePoint> points = ChoicesOf(index, valueOf);
    if (qvt::IsOnOffParameter(index)) {
      out << " ;\n        lv2:portProperty lv2:toggled";
    } else if (!points.empty()) {
      out << " ;\n        lv2:portProperty lv2:enumeration";
    }
    for (std::size_t k = 0; k < points.size(); ++k) {
      out << (k ? " , [\n" : " ;\n        lv2:scalePoint [\n") << "            rdfs:label "
          << Quoted(qvt::Win1252ToUtf8(points[k].Label)) << " ;\n"
          << "            rdf:value " << Decimal(points[k].Value) << "\n        ]";
    }
    out << "\n    ]";
  }
  out << " , [\n"
      << "        a lv2:InputPort , atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n"
      << "        atom:supports midi:MidiEvent , time:Position ;\n"
      << "        lv2:designation lv2:control ;\n"
      << "        lv2:index " << qvt::lv2::kEventsPort << " ;\n"
      << "        lv2:symbol \"events\" ;\n"
      << "        lv2:name \"Events\"\n"
      << "    ] , [\n"
      << "        a lv2:OutputPort , lv2:AudioPort ;\n"
      << "        lv2:index " << qvt::lv2::kLeftOutPort << " ;\n"
      << "        lv2:symbol \"out_left\" ;\n"
      << "        lv2:name \"Left\"\n"
      << "    ] , [\n"
      << "        a lv2:OutputPort , lv2:AudioPort ;\n"
      << "        lv2:index " << qvt::lv2::kRightOutPort << " ;\n"
      << "        lv2:symbol \"out_right\" ;\n"
      << "        lv2:name \"Right\"\n"
      << "    ] .\n\n";
  out << "<" << kProjectUri << ">\n"
      << "    a doap:Project ;\n"
      << "    doap:name " << Quoted(qvt::kProductName) << " ;\n"
      << "    doap:maintainer [ foaf:name " << Quoted(qvt::kVendorName) << " ] .\n\n";
  out << "<" << qvt::lv2::kUiUri << ">\n"
      << "    a ui:X11UI ;\n"
      << "    lv2:requiredFeature ui:parent , <http://lv2plug.in/ns/ext/instance-access> ;\n"
      << "    lv2:optionalFeature ui:resize , ui:idleInterface ;\n"
      << "    lv2:extensionData ui:idleInterface .\n";
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: lv2ttl FACTORY_BANK BUNDLE\n";
    return 2;
  }
  try {
    std::ifstream bankFile(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(bankFile)),
                                          std::istreambuf_iterator<char>());
    const std::vector<TProgramRecord> bank = qvt::DecodeBank(bytes);
    if (bank.empty()) throw std::runtime_error("the factory bank holds no programs");
    const std::filesystem::path bundle = argv[2];
    std::filesystem::create_directories(bundle);
    std::ofstream manifest(bundle / "manifest.ttl");
    WriteManifest(manifest);
    std::ofstream description(bundle / "quivertone.ttl");
    WriteDescription(description, bank.front());
    if (!manifest || !description) throw std::runtime_error("the bundle could not be written");
  } catch (const std::exception& error) {
    std::cerr << "lv2ttl: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
