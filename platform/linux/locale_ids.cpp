#include <string>
#include <string_view>

#include "platform/linux/linux_system.h"

namespace pacetta::linux_os {
namespace {

struct LocaleEntry {
  std::string_view posix;
  uint32_t lcid;
};

// Windows locale identifiers of the common language/territory pairs; a bare language
// falls back to its first entry.
constexpr LocaleEntry kLocales[] = {
    {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105}, {"de_DE", 1031},
    {"de_AT", 3079}, {"de_CH", 2055}, {"fr_FR", 1036}, {"fr_CA", 3084}, {"fr_BE", 2060},
    {"es_ES", 3082}, {"es_MX", 2058}, {"it_IT", 1040}, {"pt_BR", 1046}, {"pt_PT", 2070},
    {"nl_NL", 1043}, {"nl_BE", 2067}, {"sv_SE", 1053}, {"da_DK", 1030}, {"nb_NO", 1044},
    {"fi_FI", 1035}, {"pl_PL", 1045}, {"cs_CZ", 1029}, {"sk_SK", 1051}, {"hu_HU", 1038},
    {"ro_RO", 1048}, {"bg_BG", 1026}, {"ru_RU", 1049}, {"uk_UA", 1058}, {"el_GR", 1032},
    {"tr_TR", 1055}, {"he_IL", 1037}, {"ar_SA", 1025}, {"ja_JP", 1041}, {"ko_KR", 1042},
    {"zh_CN", 2052}, {"zh_TW", 1028}, {"th_TH", 1054}, {"hr_HR", 1050}, {"sl_SI", 1060},
    {"sr_RS", 2074}, {"lt_LT", 1063}, {"lv_LV", 1062}, {"et_EE", 1061},
};

}  // namespace

uint32_t LocaleIdOf(const std::string& posixName) {
  const std::string_view name(posixName);
  const std::string_view pair = name.substr(0, name.find_first_of(".@"));
  for (const auto& entry : kLocales) {
    if (entry.posix == pair) return entry.lcid;
  }
  const std::string_view language = pair.substr(0, pair.find('_'));
  if (language.size() == 2) {
    for (const auto& entry : kLocales) {
      if (entry.posix.substr(0, 2) == language) return entry.lcid;
    }
  }
  return 1033;
}

}  // namespace pacetta::linux_os
