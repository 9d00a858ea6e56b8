#include "i18n/captions.h"

#include <cwctype>

namespace quillo {
namespace {

bool SameCode(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) return false;
  }
  return i == a.size() && b[i] == L'\0';
}

// Looks a code up in a table whose last row serves every other code.
template <typename Row, size_t N>
const Row& Lookup(const Row (&rows)[N], const std::wstring& code) {
  for (size_t i = 0; i + 1 < N; ++i) {
    if (SameCode(code, rows[i].code)) return rows[i];
  }
  return rows[N - 1];
}

struct DownloadRow {
  const wchar_t* code;
  const wchar_t* font;
  int downloadHeight;
  int downloadImage;
  const wchar_t* downloadCaption;
  int cancelHeight;
  int cancelImage;
  const wchar_t* cancelCaption;
};

constexpr DownloadRow kDownloadRows[] = {
    {L"CHS", L"Microsoft YaHei", 24, 232, L"立即下载", 24, 232, L"取消下载"},
    {L"CHT", L"Microsoft JhengHei", 24, 232, L"立刻下載", 24, 232, L"取消下載"},
    {L"CSY", L"Calibri", 24, 232, L"Stáhnout nyní", 24, 232, L"Zrušit stahování"},
    {L"DAN", L"Calibri", 23, 232, L"Hent nu", 22, 232, L"Annuller overførsel"},
    {L"DEU", L"Calibri", 22, 232, L"Jetzt herunterladen", 20, 232, L"Download abbrechen"},
    {L"ENU", L"Calibri", 24, 232, L"Download Now", 24, 232, L"Cancel Download"},
    {L"ESP", L"Calibri", 24, 232, L"Descargar ahora", 23, 232, L"Cancelar descarga"},
    {L"FIN", L"Calibri", 24, 232, L"Lataa nyt", 24, 232, L"Peruuta lataus"},
    {L"FRA", L"Calibri", 24, 231, L"Télécharger maintenant", 24, 231, L"Annuler le téléchargement"},
    {L"GRK", L"Tahoma", 24, 232, L"Λήψη τώρα", 24, 232, L"Ακύρωση λήψης"},
    {L"HNG", L"Calibri", 24, 232, L"Letöltés most", 20, 232, L"Letöltés megszakítása"},
    {L"ITA", L"Calibri", 24, 232, L"Scarica ora", 23, 232, L"Annulla download"},
    {L"JAP", L"Meiryo", 22, 232, L"今すぐダウンロード", 18, 232, L"ダウンロードをキャンセル"},
    {L"KOR", L"Malgun Gothic", 24, 232, L"지금 다운로드", 24, 232, L"다운로드 취소"},
    {L"NLD", L"Calibri", 24, 232, L"Nu downloaden", 24, 231, L"Downloaden annuleren"},
    {L"NOR", L"Calibri", 24, 232, L"Last ned nå", 24, 232, L"Avbryt nedlasting"},
    {L"PLK", L"Calibri", 20, 232, L"Pobierz teraz", 23, 232, L"Anuluj pobieranie"},
    {L"PTB", L"Calibri", 24, 232, L"Baixar agora", 23, 232, L"Cancelar download"},
    {L"RSA", L"Calibri", 24, 232, L"Скачать", 22, 232, L"Отменить загрузку"},
    {L"SVE", L"Calibri", 24, 232, L"Hämta nu", 24, 232, L"Avbryt hämtning"},
    {L"THA", L"Tahoma", 24, 232, L"ดาวน์โหลดเดี๋ยวนี้", 21, 232, L"ยกเลิกการดาวน์โหลด"},
    {L"TRK", L"Calibri", 24, 232, L"Şimdi İndirin", 23, 232, L"Yüklemeyi İptal Et"},
    {L"", L"Calibri", 24, 232, L"Download Now", 24, 232, L"Cancel Download"},
};

struct GuideRow {
  const wchar_t* code;
  const wchar_t* font;
  int height;
  const wchar_t* caption;
};

constexpr GuideRow kGuideRows[] = {
    {L"CHS", L"Microsoft YaHei", 24, L"下载入门指南"},
    {L"CHT", L"Microsoft JhengHei", 24, L"下載入門指南"},
    {L"CSY", L"Calibri", 24, L"Stáhnout příručku Začínáme"},
    {L"DAN", L"Calibri", 23, L"Kom-i-gang vejledning til overførsel"},
    {L"DEU", L"Calibri", 24, L"„Erste Schritte“ herunterladen"},
    {L"ENU", L"Calibri", 24, L"Download Getting Started Guide"},
    {L"ESP", L"Calibri", 24, L"Descargar la Guía de introducción"},
    {L"FIN", L"Calibri", 24, L"Lataa aloitusopas"},
    {L"FRA", L"Calibri", 23, L"Télécharger le guide de démarrage"},
    {L"GRK", L"Tahoma", 18, L"Λήψη του οδηγού για τα πρώτα βήματα"},
    {L"HNG", L"Calibri", 22, L"A használatbavételi útmutató letöltése"},
    {L"ITA", L"Calibri", 24, L"Scarica la Guida introduttiva"},
    {L"JAP", L"Meiryo", 24, L"スタートガイドをダウンロード"},
    {L"KOR", L"Malgun Gothic", 24, L"시작 안내서 다운로드"},
    {L"NLD", L"Calibri", 24, L"Snelstartgids downloaden"},
    {L"NOR", L"Calibri", 20, L"Last ned veiledningen om å komme i gang"},
    {L"PLK", L"Calibri", 23, L"Pobierz podręcznik Wprowadzenie"},
    {L"PTB", L"Calibri", 24, L"Baixar o guia de introdução"},
    {L"RSA", L"Calibri", 20, L"Скачать Руководство по началу работы"},
    {L"SVE", L"Calibri", 24, L"Hämta guiden Komma igång"},
    {L"THA", L"Tahoma", 24, L"ดาวน์โหลดคู่มือวิธีใช้เบื้องต้นมาดู"},
    {L"TRK", L"Calibri", 24, L"Başlangıç Kılavuzunu İndirin"},
    {L"", L"Calibri", 24, L"Download Getting Started Guide"},
};

// Heights of the feature installer captions that are not 24.
struct FeatureHeightRow {
  const wchar_t* code;
  int heights[3];  // features 2, 3, 4
};

constexpr FeatureHeightRow kFeatureHeights[] = {
    {L"DAN", {23, 23, 23}}, {L"GRK", {21, 21, 21}}, {L"HNG", {24, 24, 21}},
    {L"JAP", {24, 19, 22}}, {L"PLK", {21, 20, 22}}, {L"", {24, 24, 24}},
};

struct FeatureCaptionRow {
  const wchar_t* code;
  const wchar_t* captions[3];  // features 2, 3, 4
};

constexpr FeatureCaptionRow kFeatureCaptions[] = {
#include "i18n/feature_captions.inc"
    {L"", {L"Download Rapidline", L"Download Wavehand", L"Download Smilekey"}},
};

}  // namespace

CaptionStyle DownloadCaption(const std::wstring& code, DownloadState state, bool sectionedWindow) {
  const DownloadRow& row = Lookup(kDownloadRows, code);
  if (state == DownloadState::kCancel) return {row.font, row.cancelHeight, row.cancelImage, row.cancelCaption};
  const bool unlisted = row.code[0] == L'\0';
  return {row.font, row.downloadHeight, sectionedWindow && unlisted ? kWideCaptionImage : row.downloadImage,
          row.downloadCaption};
}

CaptionStyle FeatureDownloadCaption(const std::wstring& code, int feature) {
  const int column = feature >= 2 && feature <= 4 ? feature - 2 : 0;
  const DownloadRow& fonts = Lookup(kDownloadRows, code);
  return {fonts.font, Lookup(kFeatureHeights, code).heights[column], kWideCaptionImage,
          Lookup(kFeatureCaptions, code).captions[column]};
}

CaptionStyle GuideCaption(const std::wstring& code) {
  const GuideRow& row = Lookup(kGuideRows, code);
  return {row.font, row.height, kWideCaptionImage, row.caption};
}

}  // namespace quillo
