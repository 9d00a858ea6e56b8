#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

// A processor fault reaches the program as the exception Windows raises for
// it: the system tells the faults apart by the trap the processor reports
// (under user-mode emulation of 32-bit code that number has to be restored
// for Wine, see tests/wine/preload). Each fault happens on a thread of its
// own, whose vectored handler ends it with the exception code as its exit code.
namespace {

DWORD faultingThread = 0;

LONG CALLBACK EndTheFaultingThread(EXCEPTION_POINTERS* exception) {
  if (GetCurrentThreadId() != faultingThread) return EXCEPTION_CONTINUE_SEARCH;
  ExitThread(exception->ExceptionRecord->ExceptionCode);
}

volatile int zero = 0;
int* volatile nowhere = nullptr;

DWORD WINAPI ReadNowhere(void*) { return static_cast<DWORD>(*nowhere); }
DWORD WINAPI WriteNowhere(void*) {
  *nowhere = 1;
  return 0;
}
DWORD WINAPI DivideByZero(void*) { return static_cast<DWORD>(100 / zero); }
DWORD WINAPI TouchAGuardPage(void*) {
  auto* page = static_cast<volatile char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD));
  if (page == nullptr) return 1;
  return static_cast<DWORD>(page[0]);
}
DWORD WINAPI ExecuteAnInvalidInstruction(void*) {
  __asm__ volatile("ud2");
  return 0;
}

DWORD ExitCodeOf(LPTHREAD_START_ROUTINE fault) {
  HANDLE thread = CreateThread(nullptr, 0, fault, nullptr, CREATE_SUSPENDED, &faultingThread);
  if (thread == nullptr) return 0;
  ResumeThread(thread);
  WaitForSingleObject(thread, 30000);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return code;
}

TEST(FaultsTest, EachFaultRaisesItsOwnException) {
  struct Case {
    const char* fault;
    LPTHREAD_START_ROUTINE run;
    DWORD exception;
  };
  const Case cases[] = {
      {"a read of address 0", ReadNowhere, EXCEPTION_ACCESS_VIOLATION},
      {"a write to address 0", WriteNowhere, EXCEPTION_ACCESS_VIOLATION},
      {"an integer division by zero", DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
      {"a guard page touched", TouchAGuardPage, static_cast<DWORD>(STATUS_GUARD_PAGE_VIOLATION)},
      {"an invalid instruction", ExecuteAnInvalidInstruction, EXCEPTION_ILLEGAL_INSTRUCTION},
  };
  void* handler = AddVectoredExceptionHandler(1, EndTheFaultingThread);
  ASSERT_NE(handler, nullptr);
  for (const Case& c : cases) {
    const DWORD code = ExitCodeOf(c.run);
    EXPECT_EQ(code, c.exception) << c.fault << ": 0x" << std::hex << code << " instead of 0x" << c.exception;
  }
  RemoveVectoredExceptionHandler(handler);
}

}  // namespace
