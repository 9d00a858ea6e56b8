#include "usage/usage_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fakes/fake_ports.h"
#include "fakes/test_files.h"
#include "usage/survey.h"

namespace quillo {
namespace {

const Endpoints kEndpoints{L"web.test", L"support.test", L"dl.test", L"local.test", L"survey.test", L"ga.test"};

AdapterInfo Adapter(const wchar_t* vendor, const wchar_t* device) {
  AdapterInfo adapter;
  adapter.vendorId = vendor;
  adapter.deviceId = device;
  return adapter;
}

class UsageTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("quillo-usage-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    system_.tempPath = folder_.wstring() + L"/";
    ASSERT_TRUE(log_.Create());
    log_.Enable();
    UsageValues& v = reporter_.values();
    v.processorBrand = L"Velmora(R) Core(TM) i7-8700 CPU @ 3.20GHz";
    v.osShortName = L"Windows10";
    v.bitnessText = L"64";
    v.languageCode = L"ENU";
    v.packageFileName = L"velmora-31.0.101.4502.exe";
    v.wavehandRequestPath = L"/qlo/VelmoraWavehand.exe";
    v.smilekeyRequestPath = L"/qlo/VelmoraSmilekey.exe";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::wstring Path(uint32_t event) {
    std::wstring path = L"untouched";
    reporter_.BuildEventPath(event, path);
    return path;
  }
  std::string LogText() { return fakes::ReadBytes(std::filesystem::path(log_.path())); }

  std::filesystem::path folder_;
  fakes::FakeSystemInfo system_;
  fakes::FakeNetwork network_;
  fakes::FakeShell shell_;
  RunLog log_{system_};
  UsageReporter reporter_{network_, kEndpoints, log_};
};

TEST_F(UsageTest, TheAppLaunchHitIsTheWholeFixedTextWithTheMachineValues) {
  reporter_.BuildAdapterIdLists({Adapter(L"1FA2", L"7A10")});
  EXPECT_EQ(Path(0),
            L"/r/collect?v=1&_v=j33&aip=0&a=153463489&t=event&ni=0&_s=1&dl=http%3A%2F%2Fqlo-application/"
            L"&ul=en-us&de=UTF-8&dt=qlo-appstarted&ec=qlo-application&ea=qlo-appstarted&el=qlo-appstarted"
            L"&cid=314159265.1358979323&tid=UA-27182818-1&cd1=http%3A%2F%2Fqlo-application/%3Faction%3Dappstarted"
            L"&cd3=qlo-application&cd37=7A10%7C%7C%7C&cd38=1FA2%7C%7C%7C"
            L"&cd42=Velmora(R) Core(TM) i7-8700 CPU @ 3.20GHz&cd43=Windows10&cd44=64&cd45=ENU&z=1640792571");
}

struct EventCase {
  uint32_t event;
  const wchar_t* labels;  // dt to the action, as the hit carries them
  const wchar_t* cd2;     // nullptr: the hit has none
};

TEST_F(UsageTest, EveryEventCarriesItsLabelsAndItsAddress) {
  reporter_.BuildAdapterIdLists({Adapter(L"1FA2", L"7A10")});
  const std::wstring head =
      L"/r/collect?v=1&_v=j33&aip=0&a=153463489&t=event&ni=0&_s=1&dl=http%3A%2F%2Fqlo-application/"
      L"&ul=en-us&de=UTF-8&dt=";
  const std::wstring tail =
      L"&cd3=qlo-application&cd37=7A10%7C%7C%7C&cd38=1FA2%7C%7C%7C"
      L"&cd42=Velmora(R) Core(TM) i7-8700 CPU @ 3.20GHz&cd43=Windows10&cd44=64&cd45=ENU&z=1640792571";
  const EventCase cases[] = {
      {1, L"qlo-driverdownload&ec=qlo-application&ea=qlo-dlstart&el=qlo-driverdownload|dlstart",
       L"http%3A%2F%2Fdl.test%2Fdrivers%2Fvelmora-31.0.101.4502.exe"},
      {3, L"qlo-installing&ec=qlo-application&ea=qlo-installing&el=qlo-driverinstall|installing",
       L"http%3A%2F%2Fdl.test%2Fdrivers%2Fvelmora-31.0.101.4502.exe"},
      {4, L"qlo-stillshot&ec=qlo-application&ea=qlo-clicklink&el=qlo-stillshot|stillshot",
       L"http%3A%2F%2Fweb.test%2Fclearframeguide%2Fen-us"},
      {5, L"qlo-rapidlineguide&ec=qlo-application&ea=qlo-clicklink&el=qlo-rapidlineguide|rapidline",
       L"http%3A%2F%2Fweb.test%2Frapidlineguide%2Fen-us"},
      {6, L"qlo-wavehandguide&ec=qlo-application&ea=qlo-installing&el=qlo-wavehandguide|wavehand",
       L"http%3A%2F%2Fweb.test%2Fwavehandguide%2Fen-us"},
      {7, L"qlo-smilekeyguide&ec=qlo-application&ea=qlo-installing&el=qlo-smilekeyguide|smilekey",
       L"http%3A%2F%2Fweb.test%2Fsmilekeyguide%2Fen-us"},
      {8, L"qlo-castwell&ec=qlo-application&ea=qlo-clicklink&el=qlo-castwell|castwell",
       L"http%3A%2F%2Fweb.test%2Fcastwellguide%2Fen-us"},
      {9, L"qlo-footenotes&ec=qlo-application&ea=qlo-clicklink&el=qlo-castwellmslink|castwellmslink", nullptr},
      {10, L"qlo-footenotes&ec=qlo-application&ea=qlo-clicklink&el=qlo-footenotes|footnotes", nullptr},
      {11, L"qlo-chipset&ec=qlo-application&ea=qlo-clicklink&el=qlo-chipset|chipset", nullptr},
      {12, L"qlo-rapidline&ec=qlo-application&ea=qlo-clicklink&el=qlo-rapidline|rapidline",
       L"http%3A%2F%2Fdl.test%2Fdrivers%2Frlx.exe"},
      // The request path's own slash follows the encoded one.
      {13, L"qlo-wavehand&ec=qlo-application&ea=qlo-installing&el=qlo-wavehand|wavehand",
       L"http%3A%2F%2Fweb.test%2F/qlo/VelmoraWavehand.exe"},
      {14, L"qlo-smilekey&ec=qlo-application&ea=qlo-installing&el=qlo-smilekey|smilekey",
       L"http%3A%2F%2Fweb.test%2F/qlo/VelmoraSmilekey.exe"},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.event);
    const std::wstring labels = c.labels;
    const size_t bar = labels.find(L'|');
    const std::wstring expected = head + labels.substr(0, bar) +
                                  L"&cid=314159265.1358979323&tid=UA-27182818-1"
                                  L"&cd1=http%3A%2F%2Fqlo-application/%3Faction%3D" +
                                  labels.substr(bar + 1) + (c.cd2 ? std::wstring(L"&cd2=") + c.cd2 : L"") + tail;
    EXPECT_EQ(Path(c.event), expected);
  }
  EXPECT_EQ(Path(15), L"untouched");
  EXPECT_EQ(Path(0xFFFFFFFF), L"untouched");
}

struct AdapterCase {
  std::vector<AdapterInfo> adapters;
  const wchar_t* deviceIdList;
  const wchar_t* vendorIdList;
  const wchar_t* surveyIds;  // vendorIdQuery + deviceIdQuery
};

TEST_F(UsageTest, TheAdapterTextsArePaddedToThreeEntries) {
  const AdapterCase cases[] = {
      {{}, L"", L"", L""},
      {{Adapter(L"1FA2", L"7A10")}, L"7A10%7C%7C%7C", L"1FA2%7C%7C%7C",
       L"vid1=1FA2&NULL=NULL&NULL=NULL&did1=7A10&NULL=NULL&NULL=NULL&"},
      {{Adapter(L"1FA2", L"7A10"), Adapter(L"1FA2", L"7A20"), Adapter(L"2C33", L"0B01")},
       L"7A10%7C7A20%7C0B01%7C", L"1FA2%7C1FA2%7C2C33%7C",
       L"vid1=1FA2&vid2=1FA2&vid3=2C33&did1=7A10&did2=7A20&did3=0B01&"},
      {{Adapter(L"1FA2", L"7A10"), Adapter(L"1FA2", L"7A20"), Adapter(L"2C33", L"0B01"), Adapter(L"1FA2", L"7A30")},
       L"7A10%7C7A20%7C0B01%7C7A30%7C", L"1FA2%7C1FA2%7C2C33%7C1FA2%7C",
       L"vid1=1FA2&vid2=1FA2&vid3=2C33&vid4=1FA2&did1=7A10&did2=7A20&did3=0B01&did4=7A30&"},
  };
  for (const AdapterCase& c : cases) {
    SCOPED_TRACE(c.adapters.size());
    UsageReporter reporter(network_, kEndpoints, log_);
    reporter.values() = reporter_.values();
    reporter.BuildAdapterIdLists(c.adapters);
    std::wstring hit;
    reporter.BuildEventPath(0, hit);
    EXPECT_NE(hit.find(std::wstring(L"&cd37=") + c.deviceIdList + L"&cd38=" + c.vendorIdList + L"&cd42="),
              std::wstring::npos)
        << testing::PrintToString(hit);
    std::wstring query;
    reporter.BuildEventPath(2, query);
    EXPECT_EQ(query, std::wstring(L"cpu=Velmora(R) Core(TM) i7-8700 CPU @ 3.20GHz&") + c.surveyIds +
                         L"Windows10&64&ENU&driver=velmora-31.0.101.4502.exe");
  }
}

TEST_F(UsageTest, TheIdListsOfTheRunOnlyGrow) {
  reporter_.BuildAdapterIdLists({Adapter(L"1FA2", L"7A10")});
  reporter_.BuildAdapterIdLists({});
  EXPECT_EQ(reporter_.adapterIds().deviceIdList, L"7A10%7C%7C%7C") << "an empty call keeps the texts";
  reporter_.BuildAdapterIdLists({Adapter(L"2C33", L"0B01")});
  EXPECT_EQ(reporter_.adapterIds().deviceIdList, L"7A10%7C0B01%7C%7C");
  EXPECT_EQ(reporter_.adapterIds().vendorIdQuery, L"vid1=1FA2&vid2=2C33&NULL=NULL&");
}

TEST_F(UsageTest, AHitGoesToTheCollectorAsANarrowGetAndIsLoggedWhateverItGave) {
  reporter_.BuildAdapterIdLists({Adapter(L"1FA2", L"7A10")});
  network_.responses[L"/r/collect"] = {};  // paths carry their query: nothing matches, 404
  reporter_.SendAppLaunchEvent();
  network_.sendError = 12029;
  reporter_.SendDldStartEvent();
  reporter_.SendInstallStartEvent();
  reporter_.SendChipsetEvent();

  ASSERT_EQ(network_.requests.size(), 4u);
  const fakes::FakeNetwork::Request& first = network_.requests[0];
  EXPECT_EQ(first.target.host, L"ga.test");
  EXPECT_EQ(first.target.port, 80);
  EXPECT_TRUE(first.target.narrowCalls);
  EXPECT_EQ(first.target.acceptTypes, std::vector<std::wstring>{L"Accept: */*"});
  EXPECT_TRUE(first.target.userAgent.empty());
  EXPECT_TRUE(first.target.referrer.empty());
  EXPECT_EQ(first.headers, std::vector<std::wstring>{L"Accept: */*\r\n"});
  EXPECT_GT(first.target.timeoutMs, 0u) << "an unreachable collector must not hold the window";
  EXPECT_LE(first.target.timeoutMs, 1000u);
  EXPECT_EQ(first.target.path, Path(0));

  const std::string log = LogText();
  const auto record = [&](const char* label, uint32_t event) {
    std::wstring path = Path(event);
    return std::string(label) + " - sending event params..." + std::string(path.begin(), path.end()) +
           "\r\r\n \r\n";
  };
  EXPECT_EQ(log, "Log file created and initiating the pcrocess... \r\n" + record("SendAppLaunchEvent", 0) +
                     record("SendDldStartEvent", 1) + record("SendInstallStartEvent", 3) +
                     record("SendInstallStartEvent", 11));
}

TEST_F(UsageTest, SendUsageHitReturnsTheStatusOrTheSystemsError) {
  network_.responses[L"/r/collect?x=1"].status = 500;
  EXPECT_EQ(reporter_.SendUsageHit("/r/collect?x=1"), 500u);
  EXPECT_EQ(reporter_.SendUsageHit("/r/collect?x=2"), 404u);
  network_.responses[L"/r/collect?slow"].firstByteDelayMs = 30000;
  EXPECT_EQ(reporter_.SendUsageHit("/r/collect?slow"), fakes::FakeNetwork::kTimeoutError);
  network_.openFailure = {{HttpStep::kConnect, 12007}};
  EXPECT_EQ(reporter_.SendUsageHit("/r/collect?x=1"), 12007u);
}

TEST_F(UsageTest, TheNarrowPathKeepsTheLowByteOfEachUnit) {
  EXPECT_EQ(NarrowHitPath(L"a\u00e9\u0141b"), std::string("a\xe9\x41" "b"));
  reporter_.values().processorBrand = L"Caf\u00e9 CPU";
  reporter_.SendAppLaunchEvent();
  ASSERT_EQ(network_.requests.size(), 1u);
  EXPECT_NE(network_.requests[0].target.path.find(L"&cd42=Caf\u00e9 CPU&"), std::wstring::npos);
}

TEST_F(UsageTest, TheNotesLinkEventCarriesTheProcessorBrandReadAgain) {
  char text[48] = "   Velmora(R) Core(TM) i5 CPU";
  system_.cpuid[0x80000000] = CpuidRegisters{0x80000004, 0, 0, 0};
  for (uint32_t i = 0; i < 3; ++i) {
    uint32_t words[4];
    std::memcpy(words, text + i * 16, sizeof words);
    system_.cpuid[0x80000002 + i] = CpuidRegisters{words[0], words[1], words[2], words[3]};
  }
  reporter_.RefreshProcessorBrand(system_);
  reporter_.SendNotesLinkEvent();
  ASSERT_EQ(network_.requests.size(), 1u);
  EXPECT_NE(network_.requests[0].target.path.find(L"&cd42=Velmora(R) Core(TM) i5 CPU&cd43="), std::wstring::npos);
}

TEST_F(UsageTest, TheSurveyAddressWithAndWithoutTheSwitchTail) {
  reporter_.BuildAdapterIdLists({Adapter(L"1FA2", L"7A10")});
  const std::wstring query = reporter_.SurveyQuery();
  const std::wstring base =
      L"https://survey.test/acc?cpu=Velmora(R) Core(TM) i7-8700 CPU @ 3.20GHz&vid1=1FA2&NULL=NULL&NULL=NULL&"
      L"did1=7A10&NULL=NULL&NULL=NULL&Windows10&64&ENU&driver=velmora-31.0.101.4502.exe";
  const std::wstring fixed = L"&sw6=0&sw7=0&pdf1=0&pdf2=0&pdf3=0&pdf4=0&pdf5=0&pdf6=0&pdf7=0";
  EXPECT_EQ(std::wstring(fixed).size(), 61u);
  EXPECT_EQ(SurveyAddress(kEndpoints, query), base);
  EXPECT_EQ(SurveyAddress(kEndpoints, query, OpenSections{}), base + L"&sw1=0&sw2=0&sw3=0&sw4=0&sw5=0" + fixed);
  EXPECT_EQ(SurveyAddress(kEndpoints, query, OpenSections{.smilekey = true}),
            base + L"&sw1=0&sw2=0&sw3=0&sw4=1&sw5=0" + fixed);
  EXPECT_EQ(SurveyAddress(kEndpoints, query, OpenSections{.rapidline = true}),
            base + L"&sw1=0&sw2=1&sw3=0&sw4=0&sw5=0" + fixed);
  EXPECT_EQ(SurveyAddress(kEndpoints, query, OpenSections{.castwell = true}),
            base + L"&sw1=0&sw2=0&sw3=0&sw4=0&sw5=1" + fixed);

  OpenSurveyOnClose(shell_, log_, base);
  EXPECT_EQ(shell_.openedUrls, std::vector<std::wstring>{base});
  EXPECT_EQ(LogText(), "Log file created and initiating the pcrocess... \r\nOnClose - sending event params..." +
                           std::string(base.begin(), base.end()) + "\r\r\n \r\n");
}

}  // namespace
}  // namespace quillo
