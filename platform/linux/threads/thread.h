// Threads started on a routine with one argument, their priority, exit code and
// termination. A thread handle is a kernel object: CloseHandle releases the
// handle only and never stops or joins the thread; WaitForSingleObject on it
// returns once the routine has returned (or the thread has been terminated).
#pragma once

#include "platform/linux/win_types.h"

typedef DWORD(WINAPI *PTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

// The pocket computer's eight levels, 0 the highest: these are not the desktop
// values (where HIGHEST is 2 and LOWEST -2).
#define THREAD_PRIORITY_TIME_CRITICAL 0
#define THREAD_PRIORITY_HIGHEST 1
#define THREAD_PRIORITY_ABOVE_NORMAL 2
#define THREAD_PRIORITY_NORMAL 3
#define THREAD_PRIORITY_BELOW_NORMAL 4
#define THREAD_PRIORITY_LOWEST 5
#define THREAD_PRIORITY_ABOVE_IDLE 6
#define THREAD_PRIORITY_IDLE 7
#define THREAD_PRIORITY_ERROR_RETURN 0x7fffffff

#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

// Starts lpStartAddress(lpParameter) on a new thread and returns its handle, or
// null if no thread could be started or dwCreationFlags asks for something not
// offered (CREATE_SUSPENDED). lpThreadAttributes is ignored; dwStackSize is a
// hint the platform's default stack always satisfies here. *lpThreadId, if
// given, receives the kernel's id of the thread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, DWORD dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId);

// Maps the level to a nice value of that one thread, relative to the process's
// own (TIME_CRITICAL -15, HIGHEST -10, NORMAL 0, LOWEST +10, IDLE +19). An
// unprivileged process may not lower a nice value, so a raise the system
// refuses is taken as far as the process's limit allows and otherwise ignored,
// and a level below normal is applied only where the thread could be raised
// back later (nice_level.h): without privileges every level is at least normal.
// The call still succeeds. FALSE only for a bad handle or a level outside 0..7.
BOOL SetThreadPriority(HANDLE hThread, int nPriority);

// The level last set, or THREAD_PRIORITY_ERROR_RETURN for a bad handle.
int GetThreadPriority(HANDLE hThread);

// STILL_ACTIVE while the routine runs, afterwards its return value (or the code
// given to TerminateThread).
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);

// Linux has no safe way to kill one thread of a process, so termination is a
// promise rather than a kill: from this call on the handle is signalled and
// reports dwExitCode, nothing waits for the thread, and the thread is frozen
// for good at its next (or current) Wait..., Sleep or CreateThread call, so it
// never runs on into memory its owner frees after giving up on it. A thread
// that never reaches such a call keeps running until its routine returns; its
// return value is then ignored. Terminating the calling thread does not
// return. FALSE only for a bad handle.
BOOL TerminateThread(HANDLE hThread, DWORD dwExitCode);

DWORD GetCurrentThreadId();
