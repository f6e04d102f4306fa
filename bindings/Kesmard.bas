Attribute VB_Name = "Kesmard"
' Kesmard.bas: KESMARD.dll for Visual Basic 6 (Project, Add Module,
' Existing). VB6 programs are always 32-bit: they take the 32-bit DLL.
'
' The nine entry points and the four answers of DISPLAYDLL_Status. Texts
' come back as Long: the address of the module's own text, copied into a
' String by TextAt. Declared "As String", VB6 would free the module's
' buffer as a BSTR. The ok flag is a Byte: VB6's Boolean is 2 bytes.
' Declare always calls stdcall.
Option Explicit

Public Declare Function DISPLAYDLL_Init Lib "KESMARD.dll" (ByVal columns As Byte, ByVal rows As Byte, ByVal parameters As String, ByRef ok As Byte) As Long
Public Declare Sub DISPLAYDLL_Done Lib "KESMARD.dll" ()
Public Declare Sub DISPLAYDLL_Write Lib "KESMARD.dll" (ByVal text As String)
Public Declare Sub DISPLAYDLL_SetPosition Lib "KESMARD.dll" (ByVal x As Byte, ByVal y As Byte)
Public Declare Sub DISPLAYDLL_PowerResume Lib "KESMARD.dll" ()
Public Declare Function DISPLAYDLL_Usage Lib "KESMARD.dll" () As Long
Public Declare Function DISPLAYDLL_DefaultParameters Lib "KESMARD.dll" () As Long
Public Declare Function DISPLAYDLL_DriverName Lib "KESMARD.dll" () As Long
' Status returns its value itself, a 32-bit Long: one of the constants below.
Public Declare Function DISPLAYDLL_Status Lib "KESMARD.dll" () As Long
' Write again, for exact bytes: pass the first element of a Byte array
' that ends in a 0 byte, as DISPLAYDLL_WriteBytes bytes(0); WriteInCodePage
' below makes one.
Public Declare Sub DISPLAYDLL_WriteBytes Lib "KESMARD.dll" Alias "DISPLAYDLL_Write" (ByRef text As Byte)

' What DISPLAYDLL_Status answers.
Public Const DISPLAYDLL_STATUS_NOT_SET_UP As Long = 0
Public Const DISPLAYDLL_STATUS_READY As Long = 1
Public Const DISPLAYDLL_STATUS_BACKED_UP As Long = 2
Public Const DISPLAYDLL_STATUS_LOST As Long = 3

Private Declare Function lstrlenA Lib "kernel32" (ByVal text As Long) As Long
Private Declare Sub CopyBytes Lib "kernel32" Alias "RtlMoveMemory" (ByRef destination As Byte, ByVal source As Long, ByVal length As Long)
Private Declare Function WideCharToMultiByte Lib "kernel32" (ByVal codePage As Long, ByVal flags As Long, ByVal wideText As Long, ByVal wideLength As Long, ByRef bytes As Byte, ByVal size As Long, ByVal defaultChar As Long, ByVal usedDefault As Long) As Long

' Copies the module's text at address into a VB6 String, less the line
' end a system text carries. The bytes are counted and copied as bytes
' (lstrlenA counts bytes, not characters), the CR LF is stripped from
' them, and only then are they read as text in the ANSI code page, where a
' character may take two bytes.
Public Function TextAt(ByVal address As Long) As String
    Dim length As Long
    Dim bytes() As Byte
    If address = 0 Then Exit Function
    length = lstrlenA(address)
    If length = 0 Then Exit Function
    ReDim bytes(0 To length - 1) As Byte
    CopyBytes bytes(0), address, length
    Do While length > 0
        If bytes(length - 1) <> 13 And bytes(length - 1) <> 10 Then Exit Do
        length = length - 1
    Loop
    If length = 0 Then Exit Function
    ReDim Preserve bytes(0 To length - 1) As Byte
    TextAt = StrConv(bytes, vbUnicode)
End Function

' Sets the display up; answer is the driver name, or the reason the set-up
' failed.
Public Function OpenDisplay(ByVal columns As Byte, ByVal rows As Byte, ByVal parameters As String, ByRef answer As String) As Boolean
    Dim ok As Byte
    answer = TextAt(DISPLAYDLL_Init(columns, rows, parameters, ok))
    OpenDisplay = (ok = 1)
End Function

' Sends text as bytes of the display's code page (858, 850, 437...). A
' character the code page lacks goes out as Windows' look-alike for it,
' or as "?" where it has none. Four bytes a character is room enough for
' any code page.
Public Sub WriteInCodePage(ByVal text As String, ByVal codePage As Long)
    Dim bytes() As Byte
    Dim length As Long
    ReDim bytes(0 To 4 * Len(text)) As Byte
    If Len(text) > 0 Then
        length = WideCharToMultiByte(codePage, 0, StrPtr(text), Len(text), bytes(0), 4 * Len(text), 0, 0)
    End If
    bytes(length) = 0
    DISPLAYDLL_WriteBytes bytes(0)
End Sub
