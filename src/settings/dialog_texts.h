// The Japanese texts of the dialogs that the system sets at run time, as the code page 932
// (Shift-JIS) bytes that the ANSI window functions take.
#pragma once

// "（デフォルト画像）": shown in the file label for the built-in images.
inline constexpr char kDefaultImageLabel[] =
    "\x81i\x83"
    "f\x83t\x83H\x83\x8b\x83g\x89\xe6\x91\x9c\x81j";
// "画像ファイルの選択": the file chooser's title.
inline constexpr char kImageFileChoiceTitle[] =
    "\x89\xe6\x91\x9c\x83t\x83@\x83"
    "C\x83\x8b\x82\xcc\x91I\x91\xf0";
// "選択したファイルは画像として読み込めません。": an image file that the saver could not show.
inline constexpr char kUnreadableImageText[] =
    "\x91I\x91\xf0\x82\xb5\x82\xbd\x83t\x83@\x83"
    "C\x83\x8b\x82\xcd\x89\xe6\x91\x9c\x82\xc6\x82\xb5\x82\xc4\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1"
    "\x81"
    "B";
// "ファイルのパスが長すぎます。259 バイトまでのパスを選んでください。": a path that does not fit the setting.
inline constexpr char kPathTooLongText[] =
    "\x83t\x83@\x83"
    "C\x83\x8b\x82\xcc\x83p\x83X\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xdc\x82\xb7\x81"
    "B259 \x83o\x83"
    "C\x83g\x82\xdc\x82\xc5\x82\xcc\x83p\x83X\x82\xf0\x91I\x82\xf1\x82\xc5\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81"
    "B";
// "オプション": caption of the refusals, as of the dialog.
inline constexpr char kOptionsCaption[] = "\x83I\x83v\x83V\x83\x87\x83\x93";
// The chooser's filters: "画像ファイル" with the nine image formats the saver reads, then
// "すべてのファイル"; pairs of a name and its patterns, the list ending with an empty name.
inline constexpr char kImageFileFilter[] =
    "\x89\xe6\x91\x9c\x83t\x83@\x83"
    "C\x83\x8b (*.bmp;*.dib;*.jpg;*.jpeg;*.png;*.tga;*.dds;*.ppm;*.pfm;*.hdr)"
    "\0"
    "*.bmp;*.dib;*.jpg;*.jpeg;*.png;*.tga;*.dds;*.ppm;*.pfm;*.hdr\0"
    "\x82\xb7\x82\xd7\x82\xc4\x82\xcc\x83t\x83@\x83"
    "C\x83\x8b (*.*)"
    "\0*.*\0";
