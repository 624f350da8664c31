#pragma once
// The engine's chief header: the program-wide state that every part of the program shares.
