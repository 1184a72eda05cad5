#pragma once

// Makes backBufferView from swap-chain buffer 0 and drops the buffer's reference at once.
// Reports "SwapChain::GetBuffer" or "CreateRenderTargetView(backbuffer)" on failure.
bool CreateBackBufferView();
