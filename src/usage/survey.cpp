#include "usage/survey.h"

namespace quillo {

std::wstring SurveyAddress(const Endpoints& endpoints, const std::wstring& surveyQuery,
                           std::optional<OpenSections> switches) {
  std::wstring address = L"https://" + endpoints.surveyServer + L"/acc?" + surveyQuery;
  if (switches) {
    const auto flag = [](bool open) { return open ? L"1" : L"0"; };
    // The window keeps no value for sw1.
    address += L"&sw1=0";
    address += std::wstring(L"&sw2=") + flag(switches->rapidline);
    address += std::wstring(L"&sw3=") + flag(switches->wavehand);
    address += std::wstring(L"&sw4=") + flag(switches->smilekey);
    address += std::wstring(L"&sw5=") + flag(switches->castwell);
    address += L"&sw6=0&sw7=0&pdf1=0&pdf2=0&pdf3=0&pdf4=0&pdf5=0&pdf6=0&pdf7=0";
  }
  return address;
}

void OpenSurveyOnClose(ShellPort& shell, RunLog& log, const std::wstring& address) {
  shell.OpenUrl(address);
  log.Write(L"OnClose - sending event params..." + address + L"\r\n");
}

}  // namespace quillo
