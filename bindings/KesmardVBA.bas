Attribute VB_Name = "KesmardVBA"
' KesmardVBA.bas: KESMARD.dll for VBA in Access, Excel and the other Office
' hosts (in the VBA editor: File, Import File). Office's bitness decides
' the DLL, not Windows': 32-bit Office takes the 32-bit DLL, 64-bit Office
' the 64-bit one.
'
' The nine entry points and the four answers of DISPLAYDLL_Status. Office
' 2010 and later (VBA7) need PtrSafe on every Declare, and each
' pointer-sized value is a LongPtr there, 8 bytes in 64-bit Office: the
' returned texts, and every parameter that Windows declares as a pointer
' or a SIZE_T. Office 2007 and earlier, always 32-bit, take the #Else
' branches. Texts come back as addresses, copied into a String by TextAt;
' the ok flag is a Byte.
Option Explicit

#If VBA7 Then
Public Declare PtrSafe Function DISPLAYDLL_Init Lib "KESMARD.dll" (ByVal columns As Byte, ByVal rows As Byte, ByVal parameters As String, ByRef ok As Byte) As LongPtr
Public Declare PtrSafe Sub DISPLAYDLL_Done Lib "KESMARD.dll" ()
Public Declare PtrSafe Sub DISPLAYDLL_Write Lib "KESMARD.dll" (ByVal text As String)
Public Declare PtrSafe Sub DISPLAYDLL_WriteBytes Lib "KESMARD.dll" Alias "DISPLAYDLL_Write" (ByRef text As Byte)
Public Declare PtrSafe Sub DISPLAYDLL_SetPosition Lib "KESMARD.dll" (ByVal x As Byte, ByVal y As Byte)
Public Declare PtrSafe Sub DISPLAYDLL_PowerResume Lib "KESMARD.dll" ()
Public Declare PtrSafe Function DISPLAYDLL_Usage Lib "KESMARD.dll" () As LongPtr
Public Declare PtrSafe Function DISPLAYDLL_DefaultParameters Lib "KESMARD.dll" () As LongPtr
Public Declare PtrSafe Function DISPLAYDLL_DriverName Lib "KESMARD.dll" () As LongPtr
Public Declare PtrSafe Function DISPLAYDLL_Status Lib "KESMARD.dll" () As Long
Private Declare PtrSafe Function LoadLibraryW Lib "kernel32" (ByVal path As LongPtr) As LongPtr
Private Declare PtrSafe Function lstrlenA Lib "kernel32" (ByVal text As LongPtr) As Long
Private Declare PtrSafe Sub CopyBytes Lib "kernel32" Alias "RtlMoveMemory" (ByRef destination As Byte, ByVal source As LongPtr, ByVal length As LongPtr)
Private Declare PtrSafe Function WideCharToMultiByte Lib "kernel32" (ByVal codePage As Long, ByVal flags As Long, ByVal wideText As LongPtr, ByVal wideLength As Long, ByRef bytes As Byte, ByVal size As Long, ByVal defaultChar As LongPtr, ByVal usedDefault As LongPtr) As Long
#Else
Public Declare Function DISPLAYDLL_Init Lib "KESMARD.dll" (ByVal columns As Byte, ByVal rows As Byte, ByVal parameters As String, ByRef ok As Byte) As Long
Public Declare Sub DISPLAYDLL_Done Lib "KESMARD.dll" ()
Public Declare Sub DISPLAYDLL_Write Lib "KESMARD.dll" (ByVal text As String)
Public Declare Sub DISPLAYDLL_WriteBytes Lib "KESMARD.dll" Alias "DISPLAYDLL_Write" (ByRef text As Byte)
Public Declare Sub DISPLAYDLL_SetPosition Lib "KESMARD.dll" (ByVal x As Byte, ByVal y As Byte)
Public Declare Sub DISPLAYDLL_PowerResume Lib "KESMARD.dll" ()
Public Declare Function DISPLAYDLL_Usage Lib "KESMARD.dll" () As Long
Public Declare Function DISPLAYDLL_DefaultParameters Lib "KESMARD.dll" () As Long
Public Declare Function DISPLAYDLL_DriverName Lib "KESMARD.dll" () As Long
Public Declare Function DISPLAYDLL_Status Lib "KESMARD.dll" () As Long
Private Declare Function LoadLibraryW Lib "kernel32" (ByVal path As Long) As Long
Private Declare Function lstrlenA Lib "kernel32" (ByVal text As Long) As Long
Private Declare Sub CopyBytes Lib "kernel32" Alias "RtlMoveMemory" (ByRef destination As Byte, ByVal source As Long, ByVal length As Long)
Private Declare Function WideCharToMultiByte Lib "kernel32" (ByVal codePage As Long, ByVal flags As Long, ByVal wideText As Long, ByVal wideLength As Long, ByRef bytes As Byte, ByVal size As Long, ByVal defaultChar As Long, ByVal usedDefault As Long) As Long
#End If

' What DISPLAYDLL_Status answers: a value, never a pointer, so a Long in
' 32-bit and 64-bit Office alike.
Public Const DISPLAYDLL_STATUS_NOT_SET_UP As Long = 0
Public Const DISPLAYDLL_STATUS_READY As Long = 1
Public Const DISPLAYDLL_STATUS_BACKED_UP As Long = 2
Public Const DISPLAYDLL_STATUS_LOST As Long = 3

' The DLL of Office's bitness, from a folder of the document's.
#If Win64 Then
Private Const KesmardFolder = "x64"
#Else
Private Const KesmardFolder = "x86"
#End If

' Loads KESMARD.dll from the x86 or x64 folder in folder, the one Office's
' bitness takes, so that the declarations above find it: a Declare finds
' a DLL only on the DLL search path, which Office's current folder seldom
' is. Pass the document's folder: CurrentProject.Path in Access,
' ThisWorkbook.Path in Excel. False when it cannot be loaded.
Public Function LoadKesmard(ByVal folder As String) As Boolean
    Dim path As String
    path = folder & "\" & KesmardFolder & "\KESMARD.dll"
    LoadKesmard = LoadLibraryW(StrPtr(path)) <> 0
End Function

' Copies the module's text at address into a String, less the line end a
' system text carries. The bytes are counted and copied as bytes
' (lstrlenA counts bytes, not characters), the CR LF is stripped from
' them, and only then are they read as text in the ANSI code page, where a
' character may take two bytes.
#If VBA7 Then
Public Function TextAt(ByVal address As LongPtr) As String
#Else
Public Function TextAt(ByVal address As Long) As String
#End If
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
