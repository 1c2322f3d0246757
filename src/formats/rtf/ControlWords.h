#pragma once
// The RTF vocabulary shared by the reader and the writer: a fixed, sorted
// table of control words whose position (the keyword index) both sides use
// as the word's identifier, a lookup from a word's letters to its index, the
// scanner of a control word with its numeric parameter, and the small codecs
// of hexadecimal text. The tables are constant: any number of readers and
// writers may use them at the same time.
#include <cstdint>
#include <string_view>

constexpr int32_t ControlWordCount = 313;

// Keyword indexes the other modules name.
enum TControlWordIndex : int32_t {
    kwNone = -1,
    kwAenddoc = 0, kwAendnotes = 1, kwAftncn = 2, kwAftnnalc = 3, kwAftnnar = 4, kwAftnnauc = 5,
    kwAftnnchi = 6, kwAftnnrlc = 7, kwAftnnruc = 8, kwAftnrestart = 9, kwAftnrstcont = 10, kwAftnsep = 11,
    kwAftnsepc = 12, kwAftnstart = 13, kwAlt = 14, kwAnnotation = 15, kwAtnauthor = 16, kwAtnicn = 17,
    kwAtnid = 18, kwAtnref = 19, kwAtntime = 20, kwAtrfend = 21, kwAtrfstart = 22, kwAuthor = 23,
    kwAutosavedorigfmt = 24, kwAutosavedorigname = 25, kwB = 26, kwBkmkend = 27, kwBkmkstart = 28, kwBlue = 29,
    kwBuptim = 30, kwCaps = 31, kwCell = 32, kwCellx = 33, kwCf = 34, kwCharscalex = 35, kwChftn = 36,
    kwColno = 37, kwColortbl = 38, kwCols = 39, kwColsr = 40, kwColsx = 41, kwColumn = 42, kwColw = 43,
    kwComment = 44, kwCompany = 45, kwCpg = 46, kwCreatim = 47, kwCs = 48, kwCtrl = 49, kwDatafield = 50,
    kwDeflang = 51, kwDeflangcoding = 52, kwDeftab = 53, kwDeleted = 54, kwDn = 55, kwDo = 56, kwDoccomm = 57,
    kwDptxbxtext = 58, kwDs = 59, kwDskcharnr = 60, kwDskparnr = 61, kwDy = 62, kwEmbo = 63, kwEmdash = 64,
    kwEmfblip = 65, kwEndash = 66, kwExpnd = 67, kwExpndtw = 68, kwF = 69, kwFacingp = 70, kwFalt = 71,
    kwFcharset = 72, kwFdecor = 73, kwFet = 74, kwFi = 75, kwField = 76, kwFile = 77, kwFiletbl = 78,
    kwFldinst = 79, kwFldrslt = 80, kwFmodern = 81, kwFn = 82, kwFnetwork = 83, kwFnil = 84, kwFontemb = 85,
    kwFontfile = 86, kwFonttbl = 87, kwFooter = 88, kwFooterf = 89, kwFooterl = 90, kwFooterr = 91,
    kwFootery = 92, kwFootnote = 93, kwFprq = 94, kwFroman = 95, kwFs = 96, kwFscript = 97, kwFswiss = 98,
    kwFtnalt = 99, kwFtnbj = 100, kwFtncn = 101, kwFtnnalc = 102, kwFtnnar = 103, kwFtnnauc = 104,
    kwFtnnchi = 105, kwFtnnrlc = 106, kwFtnnruc = 107, kwFtnrestart = 108, kwFtnrstcont = 109, kwFtnrstpg = 110,
    kwFtnsep = 111, kwFtnsepc = 112, kwFtnstart = 113, kwFtntj = 114, kwGreen = 115, kwHeader = 116,
    kwHeaderf = 117, kwHeaderl = 118, kwHeaderr = 119, kwHeadery = 120, kwHighlight = 121, kwHr = 122,
    kwHtmautsp = 123, kwHyphauto = 124, kwHyphcaps = 125, kwHyphconsec = 126, kwHyphhotz = 127, kwHyphpar = 128,
    kwI = 129, kwImpr = 130, kwInfo = 131, kwIntbl = 132, kwJpegblip = 133, kwKeep = 134, kwKeepn = 135,
    kwKeepnoff = 136, kwKeepoff = 137, kwKerning = 138, kwKeycode = 139, kwKeywords = 140, kwLandscape = 141,
    kwLang = 142, kwLdblquote = 143, kwLi = 144, kwLine = 145, kwLinebetcol = 146, kwListtext = 147,
    kwLndscpsxn = 148, kwLquote = 149, kwMac = 150, kwMargb = 151, kwMargbsxn = 152, kwMargl = 153,
    kwMarglsxn = 154, kwMargmirror = 155, kwMargr = 156, kwMargrsxn = 157, kwMargt = 158, kwMargtsxn = 159,
    kwMin = 160, kwMo = 161, kwNextfile = 162, kwNofpages = 163, kwNonshppict = 164, kwNosupersub = 165,
    kwNowidctlpar = 166, kwObjalias = 167, kwObjautlink = 168, kwObjclass = 169, kwObjdata = 170,
    kwObject = 171, kwObjemb = 172, kwObjh = 173, kwObjhtml = 174, kwObjicemb = 175, kwObjlink = 176,
    kwObjname = 177, kwObjocx = 178, kwObjpub = 179, kwObjsect = 180, kwObjsub = 181, kwObjtime = 182,
    kwObjw = 183, kwOperator = 184, kwOutl = 185, kwPage = 186, kwPagebb = 187, kwPagebboff = 188,
    kwPaperh = 189, kwPaperw = 190, kwPar = 191, kwPard = 192, kwPghsxn = 193, kwPgncont = 194, kwPgndec = 195,
    kwPgnlcltr = 196, kwPgnlcrm = 197, kwPgnrestart = 198, kwPgnstarts = 199, kwPgnucltr = 200,
    kwPgnucrm = 201, kwPgwsxn = 202, kwPich = 203, kwPichgoal = 204, kwPicprop = 205, kwPicscalex = 206,
    kwPicscaley = 207, kwPict = 208, kwPicw = 209, kwPicwgoal = 210, kwPlain = 211, kwPn = 212, kwPnf = 213,
    kwPngblip = 214, kwPnlvlblt = 215, kwPnseclvl = 216, kwPntext = 217, kwPntxta = 218, kwPntxtb = 219,
    kwPrintim = 220, kwPrivate1 = 221, kwQc = 222, kwQj = 223, kwQl = 224, kwQr = 225, kwRdblquote = 226,
    kwRed = 227, kwResult = 228, kwRevtbl = 229, kwRevtim = 230, kwRi = 231, kwRow = 232, kwRquote = 233,
    kwRxe = 234, kwS = 235, kwSa = 236, kwSb = 237, kwSbasedon = 238, kwSbkcol = 239, kwSbkeven = 240,
    kwSbknone = 241, kwSbkodd = 242, kwSbkpage = 243, kwScaps = 244, kwSec = 245, kwSect = 246, kwSectd = 247,
    kwSectfullsaved = 248, kwShad = 249, kwShift = 250, kwShppict = 251, kwSl = 252, kwSlmult = 253, kwSn = 254,
    kwSnext = 255, kwSp = 256, kwStloverrides = 257, kwStrike = 258, kwStriked = 259, kwStylesheet = 260,
    kwSub = 261, kwSubject = 262, kwSuper = 263, kwSv = 264, kwTab = 265, kwTb = 266, kwTc = 267,
    kwTemplate = 268, kwTitle = 269, kwTitlepg = 270, kwTldot = 271, kwTlhyph = 272, kwTlul = 273, kwTqc = 274,
    kwTqdec = 275, kwTqr = 276, kwTrowd = 277, kwTx = 278, kwTxe = 279, kwU = 280, kwUc = 281, kwUd = 282,
    kwUl = 283, kwUlc = 284, kwUld = 285, kwUldash = 286, kwUldashd = 287, kwUldashdd = 288, kwUldb = 289,
    kwUlhwave = 290, kwUlldash = 291, kwUlnone = 292, kwUlth = 293, kwUlthd = 294, kwUlthdash = 295,
    kwUlthdashd = 296, kwUlthdashdd = 297, kwUlthldash = 298, kwUluldbwave = 299, kwUlw = 300, kwUlwave = 301,
    kwUp = 302, kwUpr = 303, kwUseltbaln = 304, kwVersion = 305, kwViewscale = 306, kwViewzk = 307,
    kwWidctlpar = 308, kwWidowctrl = 309, kwWmetafile = 310, kwXe = 311, kwYr = 312,
};

// The word of an index (lower case), empty outside the table.
std::string_view ControlWordText(int32_t index);

// A scanned control word: where its first letter is, its total length
// (letters, parameter and the one delimiting blank when there is one) and
// the number of its letters.
struct TControlToken {
    const uint8_t* Text = nullptr;
    int32_t Length = 0;
    int32_t Letters = 0;
};

// The keyword index of the token's letters (compared without regard to
// case), or -1 when they are no keyword.
int32_t FindControlWord(const TControlToken& token);
// Scans the control word whose first letter is at text, reading no further
// than end: ASCII letters, then a parameter of '-' and digits, then one
// delimiting blank. Nothing is changed in the text.
void ScanControlWord(const uint8_t* text, const uint8_t* end, TControlToken& token);
// The numeric parameter (32-bit arithmetic that wraps), 0 without one; the
// same with 1 without one; the number of parameter characters.
int32_t ControlWordParam(const TControlToken& token);
int32_t ControlWordParamOrOne(const TControlToken& token);
int32_t ControlWordParamLength(const TControlToken& token);

// A backslash followed by an ASCII letter (two bytes must be readable).
bool IsControlWordStart(const uint8_t* text);
// At an opening brace: the two bytes after it are a backslash and '*'.
bool IsIgnorableDestination(const uint8_t* text);
// Bytes that go to the text as they are: all but 0..31, '\', '{', '}' and the
// three bytes 150, 151, 160, which become special characters.
bool IsPlainRtfByte(uint8_t b);
// The number of leading plain bytes, at most max.
int32_t PlainRunLength(const uint8_t* text, int32_t max);
// The value of a hexadecimal digit, 255 for any other byte.
uint8_t HexDigitValue(uint8_t b);

// Decodes the run of \'hh groups at the start of text (length bytes
// available) into dest, which must hold length / 4 bytes. A group whose two
// digits are not both hexadecimal ends the run. Returns the number of bytes
// decoded; consumed receives the number of text bytes they took.
int32_t DecodeHexEscapes(const uint8_t* text, int32_t length, uint8_t* dest, int32_t& consumed);
// Decodes up to pairs pairs of hexadecimal digits into bytes; stops before a
// pair whose either character is no digit. Advances text past the pairs used
// and returns the byte count.
int32_t HexTextToBytes(const uint8_t*& text, uint8_t* dest, int32_t pairs);
// Each byte as two lower-case hexadecimal characters.
void BytesToHexText(const uint8_t* source, char* dest, int32_t count);
// Each byte as the four characters \'hh.
void EncodeHexEscapes(const uint8_t* source, char* dest, int32_t count);
// Writer classes: 0 for bytes 0..31, 1 for 32..127, 2 for '\', '{', '}',
// 3 for 128..255. The number of leading bytes of class 1, and of class 3.
uint8_t WriterCharClass(uint8_t b);
int32_t WritableRunLength(const uint8_t* text, int32_t max);
int32_t HighCharRunLength(const uint8_t* text, int32_t max);
