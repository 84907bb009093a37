#pragma once
// What every task of ours on a shell task scheduler shares: its state for
// IsRunning, with Kill, Suspend and Resume unsupported, since each task is one
// piece of work that runs to its end or is removed before it starts.

#include "app/ComObject.h"

#include <windows.h>
#include <shobjidl.h>

class TOneShotTask : public ComObject<IRunnableTask> {
public:
    STDMETHODIMP Run() override {
        InterlockedExchange(&state_, IRTIR_TASK_RUNNING);
        Execute();
        InterlockedExchange(&state_, IRTIR_TASK_FINISHED);
        return S_OK;
    }
    STDMETHODIMP Kill(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP_(ULONG) IsRunning() override { return static_cast<ULONG>(InterlockedCompareExchange(&state_, 0, 0)); }

protected:
    // The work, on the scheduler's thread.
    virtual void Execute() = 0;

private:
    LONG state_ = IRTIR_TASK_NOT_RUNNING;
};
