#include "tools/qvt/RenderSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace qvt {

namespace {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

int ParseCount(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    throw std::invalid_argument("number " + std::string(text) + " is out of range");
  return value;
}

} // namespace

TParameterSetting ParseSetting(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text).push_back('\'');
  const auto equals = text.rfind('=');
  if (equals == std::string_view::npos)
    throw std::invalid_argument("setting " + quoted + " has no '=' (INDEX=VALUE or NAME=VALUE)");
  const std::string_view target = text.substr(0, equals);
  const std::string_view valueText = text.substr(equals + 1);
  if (target.empty()) throw std::invalid_argument("setting " + quoted + " names no parameter");

  TParameterSetting setting;
  const auto [end, error] =
      std::from_chars(valueText.data(), valueText.data() + valueText.size(), setting.Value);
  if (valueText.empty() || error != std::errc() || end != valueText.data() + valueText.size() ||
      !std::isfinite(setting.Value))
    throw std::invalid_argument("setting " + quoted + ": '" + std::string(valueText) +
                                "' is not a finite number");

  if (AllDigits(target)) {
    setting.Index = ParseCount(target);
    return setting;
  }
  setting.Name = target;
  const auto hash = target.rfind('#');
  if (hash != std::string_view::npos && AllDigits(target.substr(hash + 1))) {
    setting.Name = target.substr(0, hash);
    setting.Occurrence = ParseCount(target.substr(hash + 1));
    if (setting.Occurrence < 1 || setting.Name.empty())
      throw std::invalid_argument("setting " + quoted + ": NAME#N counts from 1");
  }
  return setting;
}

int ResolveSetting(const TParameterSetting& setting, const std::vector<std::string>& names) {
  const int count = static_cast<int>(names.size());
  if (setting.Name.empty()) {
    if (setting.Index < 0 || setting.Index >= count)
      throw std::invalid_argument("parameter index " + std::to_string(setting.Index) +
                                  " is out of range (the plug-in has " + std::to_string(count) +
                                  " parameters)");
    return setting.Index;
  }
  std::vector<int> matches;
  for (int index = 0; index < count; ++index)
    if (names[static_cast<std::size_t>(index)] == setting.Name) matches.push_back(index);
  const std::string quoted = "\"" + setting.Name + "\"";
  if (matches.empty()) throw std::invalid_argument("the plug-in has no parameter named " + quoted);
  if (setting.Occurrence > 0) {
    if (setting.Occurrence > static_cast<int>(matches.size()))
      throw std::invalid_argument("the plug-in has only " + std::to_string(matches.size()) +
                                  " parameters named " + quoted);
    return matches[static_cast<std::size_t>(setting.Occurrence - 1)];
  }
  if (matches.size() > 1) {
    std::string list;
    for (std::size_t i = 0; i < matches.size(); ++i)
      list += (i ? ", " : "") + std::to_string(matches[i]);
    throw std::invalid_argument("parameter name " + quoted + " is ambiguous (indices " + list +
                                "): use its index or " + setting.Name + "#N, N from 1 to " +
                                std::to_string(matches.size()));
  }
  return matches.front();
}

void ApplyParameters(THostedPlugin& plugin, const TBankProgram* program,
                     const std::vector<TParameterSetting>& settings) {
  AEffect* fx = plugin.Effect();
  std::vector<std::string> names(static_cast<std::size_t>(std::max(fx->numParams, 0)));
  if (std::any_of(settings.begin(), settings.end(), [](const auto& s) { return !s.Name.empty(); }))
    for (VstInt32 index = 0; index < fx->numParams; ++index)
      names[static_cast<std::size_t>(index)] = plugin.Text(effGetParamName, index);
  // Every setting is resolved before anything is set, so a refused one changes nothing.
  std::vector<int> indices;
  for (const auto& setting : settings) indices.push_back(ResolveSetting(setting, names));

  if (program) {
    if (fx->numParams < kStoredParameterCount)
      throw std::runtime_error("a bank program holds " + std::to_string(kStoredParameterCount) +
                               " values but the plug-in has " + std::to_string(fx->numParams) +
                               " parameters");
    for (int index = 0; index < kStoredParameterCount; ++index)
      fx->setParameter(fx, index, program->Values[static_cast<std::size_t>(index)]);
  }
  for (std::size_t i = 0; i < settings.size(); ++i)
    fx->setParameter(fx, indices[i], settings[i].Value);
}

} // namespace qvt
