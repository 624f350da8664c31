#pragma once
// Tool-tip hints for the whole program, switched on or off by the "ShowHints" setting.
namespace qv {

// Off swallows every tool tip of the application; on lets them through again.
void SetHintsEnabled(bool enabled);
bool HintsEnabled();

} // namespace qv
