// What the user is told when no Direct3D device can be created. Message boxes take text in
// code page 932 (Shift-JIS), so the texts are kept as those bytes.
#pragma once

// "DirectXの初期化に失敗しました   " (three blanks at the end).
inline constexpr char kDeviceFailureText[] =
    "DirectX\x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
    "\x82\xbd   ";
// "エラー".
inline constexpr char kDeviceFailureCaption[] = "\x83\x47\x83\x89\x81\x5b";
