// What the user is told when the scene cannot be built. Message boxes take text in code page
// 932 (Shift-JIS), so the texts are kept as those bytes.
#pragma once

// "画像ファイルのサイズが認識できません": the user's image file cannot be measured.
inline constexpr char kImageFileFailureText[] =
    "\x89\xe6\x91\x9c\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x83\x54\x83\x43\x83\x59\x82\xaa"
    "\x94\x46\x8e\xaf\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// "エラー".
inline constexpr char kImageFileFailureCaption[] = "\x83\x47\x83\x89\x81\x5b";

// The disc mesh is missing from the program's resources.
inline constexpr char kMeshResourceMissingText[] = "FindResource Error";
inline constexpr char kMeshResourceMissingCaption[] = "Error";
