#include "generator/support_routines.h"

#include <span>

#include "common/error.h"

namespace vt {
namespace {

enum class Level { kHigh, kBoth, kFullDesign };
constexpr Level H = Level::kHigh;
constexpr Level B = Level::kBoth;
constexpr Level F = Level::kFullDesign;  // only with the full design

struct RoutineLine {
    Level level;
    const char* text;
};

bool WriteRoutine(Printer& out, const RoutineOptions& options, std::span<const RoutineLine> lines) {
    try {
        for (const RoutineLine& line : lines) {
            if (line.level == Level::kBoth || (line.level == Level::kHigh && options.highComments) ||
                (line.level == Level::kFullDesign && options.fullDesign)) {
                out.Line(line.text);
            }
        }
        out.Flush();  // a routine that cannot be written is reported as it ends
        return false;
    } catch (const ErrorException&) {
        return true;
    }
}

constexpr RoutineLine kDisplayError[] = {
    {H, "'"},
    {H, "' DisplayError() displays the function name,"},
    {H, "' error number, and text description encountered."},
    {H, "'"},
    {B, "Private Sub DisplayError(sError As String)"},
    {B, "    MsgBox sError & Chr(13) & Err.Number & \" : \" & Err.Description, vbCritical"},
    {B, "    Err.Clear"},
    {B, "End Sub"},
    {B, ""},
};

// A calculated field's Expression is a member of ACE's Field2 alone; set
// through an Object it is bound when it runs, so the module still compiles
// against an older DAO library.
constexpr RoutineLine kCreateField[] = {
    {H, "'"},
    {H, "' CreateField() creates field with the desired features."},
    {H, "'"},
    {B, "Private Sub CreateField(oTableName As TableDef, zFieldInfo As FieldDesign)"},
    {B, "    Dim myField As Field"},
    {F, "    Dim myField2 As Object"},
    {B, ""},
    {B, "    On Error Resume Next"},
    {B, "    Set myField = oTableName.CreateField(zFieldInfo.fdName, zFieldInfo.fdType)"},
    {B, "    If Err <> 0 Then"},
    {B, "        DisplayError \"CreateField():\" & oTableName.Name"},
    {B, "        GoTo errorhandler"},
    {B, "    End If"},
    {B, "    If zFieldInfo.fdType = dbText Then myField.Size = zFieldInfo.fdSize"},
    {F, "    If zFieldInfo.fdType = dbBinary Then myField.Size = zFieldInfo.fdSize"},
    {B, ""},
    {B, "    If zFieldInfo.fdType = dbText Or zFieldInfo.fdType = dbMemo Then"},
    {B, "        myField.AllowZeroLength = zFieldInfo.fdAllowZeroLength"},
    {B, "    End If"},
    {B, "    With myField"},
    {B, "        .Attributes = zFieldInfo.fdAttributes"},
    {B, "        .DefaultValue = zFieldInfo.fdDefaultValue"},
    {B, "        .OrdinalPosition = zFieldInfo.fdOrdinalPosition"},
    {B, "        .Required = zFieldInfo.fdRequired"},
    {B, "        .ValidationRule = zFieldInfo.fdValidationRule"},
    {B, "        .ValidationText = zFieldInfo.fdValidationText"},
    {B, "    End With"},
    {F, "    If zFieldInfo.fdExpression <> \"\" Then"},
    {F, "        Set myField2 = myField"},
    {F, "        myField2.Expression = zFieldInfo.fdExpression"},
    {F, "    End If"},
    {B, ""},
    {B, "    oTableName.Fields.Append myField"},
    {B, "    If Err <> 0 Then DisplayError \"CreateField().Append: \" & oTableName.Name"},
    {B, "errorhandler:"},
    {B, "    InitField zFieldInfo"},
    {B, "End Sub"},
    {B, ""},
};

constexpr RoutineLine kAddIndex[] = {
    {H, "'"},
    {H, "' AddIndex() creates an index for the"},
    {H, "' specified table."},
    {H, "'"},
    {B, "Private Sub AddIndex(oTableName As TableDef, zIndexInfo As IndexDesign)"},
    {B, "    Dim myIndex As Index"},
    {B, "    Dim myField As Field"},
    {B, "    Dim i As Integer"},
    {B, ""},
    {B, "    On Error Resume Next"},
    {B, "    Set myIndex = oTableName.CreateIndex(zIndexInfo.idName)"},
    {B, "    If Err <> 0 Then"},
    {B, "        DisplayError \"AddIndex(): \" & zIndexInfo.idName"},
    {B, "        GoTo errorhandler"},
    {B, "    End If"},
    {B, "    ' Add field names to index"},
    {B, "    For i = LBound(zIndexInfo.idFieldName) To UBound(zIndexInfo.idFieldName)"},
    {B, "        Set myField = myIndex.CreateField(zIndexInfo.idFieldName(i))"},
    {B, "        If Err <> 0 Then"},
    {B, "            DisplayError \"AddIndex(): \" & zIndexInfo.idName & \"-\" & "
        "zIndexInfo.idFieldName(i)"},
    {B, "            GoTo errorhandler"},
    {B, "        End If"},
    {F, "        If zIndexInfo.idDescending(i) Then myField.Attributes = dbDescending"},
    {B, "        With myIndex"},
    {B, "            .Clustered = zIndexInfo.idClustered"},
    {B, "            .IgnoreNulls = zIndexInfo.idIgnoreNulls"},
    {B, "            .Primary = zIndexInfo.idPrimary"},
    {B, "            .Required = zIndexInfo.idRequired"},
    {B, "            .Unique = zIndexInfo.idUnique"},
    {B, "            .Fields.Append myField"},
    {B, "        End With"},
    {B, "        If Err <> 0 Then"},
    {B, "            DisplayError \"AddIndex().Append: Field-\" & zIndexInfo.idFieldName(i)"},
    {B, "            GoTo errorhandler"},
    {B, "        End If"},
    {B, "    Next i"},
    {B, "    ' Append index to table"},
    {B, "    oTableName.Indexes.Append myIndex"},
    {B, "    If Err <> 0 Then DisplayError \"AddIndex().Append\""},
    {B, "errorhandler:"},
    {B, "    InitIndex zIndexInfo"},
    {B, "End Sub"},
    {B, ""},
};

constexpr RoutineLine kAddRelation[] = {
    {H, "'"},
    {H, "' AddRelation() creates a relationship for the"},
    {H, "' specified database."},
    {H, "'"},
    {B, "Private Sub AddRelation(oDatabase As Database, zRelationInfo As RelationDesign)"},
    {B, "    Dim myRelation As Relation"},
    {B, "    Dim myField As Field"},
    {B, "    Dim i As Integer"},
    {B, ""},
    {B, "    ' Add the Relationship"},
    {B, "    On Error Resume Next"},
    {B, "    Set myRelation = oDatabase.CreateRelation(zRelationInfo.rdName)"},
    {B, "    If Err <> 0 Then"},
    {B, "        DisplayError \"AddRelation(): \" & zRelationInfo.rdName"},
    {B, "        GoTo errorhandler"},
    {B, "    End If"},
    {B, "    With myRelation"},
    {B, "        .Table = zRelationInfo.rdTable  'Name the Primary Table."},
    {B, "        .ForeignTable = zRelationInfo.rdForeignTable 'Name the Foreign Table."},
    {B, "        .Attributes = zRelationInfo.rdAttributes"},
    {B, "    End With"},
    {H, "    '"},
    {H, "    ' Creates field matches for relationship."},
    {H, "    '"},
    {B, "    For i = LBound(zRelationInfo.rdFieldName) To UBound(zRelationInfo.rdFieldName)"},
    {B, "        Set myField = myRelation.CreateField(zRelationInfo.rdFieldName(i))"},
    {B, "        myField.ForeignName = zRelationInfo.rdForeignName(i)"},
    {B, "        myRelation.Fields.Append myField"},
    {B, "    Next i"},
    {B, "    ' Save Relation definition by appending it to Relations collection."},
    {B, "    oDatabase.Relations.Append myRelation"},
    {B, "    If Err <> 0 Then DisplayError \"AddRelation().Append: \" & zRelationInfo.rdName"},
    {B, "errorhandler:"},
    {B, "    InitRelation zRelationInfo"},
    {B, "End Sub"},
    {B, ""},
};

constexpr RoutineLine kInitField[] = {
    {H, "'"},
    {H, "' InitField() initializes the FieldDesign"},
    {H, "' Type to 0-Number, False-Boolean, and \"\"-String"},
    {H, "'"},
    {B, "Private Sub InitField(zField As FieldDesign)"},
    {B, "    With zField"},
    {B, "        .fdName = \"\""},
    {B, "        .fdType = 0"},
    {B, "        .fdSize = 0"},
    {B, "        .fdAllowZeroLength = False"},
    {B, "        .fdAttributes = 0"},
    {B, "        .fdDefaultValue = \"\""},
    {B, "        .fdOrdinalPosition = 0"},
    {B, "        .fdRequired = False"},
    {B, "        .fdValidationRule = \"\""},
    {B, "        .fdValidationText = \"\""},
    {F, "        .fdExpression = \"\""},
    {B, "    End With"},
    {B, "End Sub"},
    {B, ""},
};

constexpr RoutineLine kInitIndex[] = {
    {H, "'"},
    {H, "' InitIndex() initializes the IndexDesign"},
    {H, "' Type to 0-Number, False-Boolean, and \"\"-String"},
    {H, "'"},
    {B, "Private Sub InitIndex(zIndex As IndexDesign)"},
    {B, "    Dim i As Integer"},
    {B, ""},
    {B, "    With zIndex"},
    {B, "        .idClustered = False"},
    {B, "        .idIgnoreNulls = False"},
    {B, "        .idName = \"\""},
    {B, "        .idPrimary = False"},
    {B, "        .idRequired = False"},
    {B, "        .idUnique = False"},
    {B, "    End With"},
    {B, "    If zIndex.idInitialized Then"},
    {B, "        For i = LBound(zIndex.idFieldName) To UBound(zIndex.idFieldName)"},
    {B, "            zIndex.idFieldName(i) = \"\""},
    {B, "        Next i"},
    {B, "    End If"},
    {B, "End Sub"},
    {B, ""},
};

constexpr RoutineLine kInitRelation[] = {
    {H, "'"},
    {H, "' InitRelation() initializes the RelationDesign"},
    {H, "' Type to 0-Number, False-Boolean, and \"\"-String"},
    {H, "'"},
    {B, "Private Sub InitRelation(zRelation As RelationDesign)"},
    {B, "    Dim i As Integer"},
    {B, ""},
    {B, "    With zRelation"},
    {B, "        .rdAttributes = 0"},
    {B, "        .rdName = \"\""},
    {B, "        .rdTable = \"\""},
    {B, "        .rdForeignTable = \"\""},
    {B, "    End With"},
    {B, "    If zRelation.rdInitialized Then"},
    {B, "        For i = LBound(zRelation.rdFieldName) To UBound(zRelation.rdFieldName)"},
    {B, "            zRelation.rdFieldName(i) = \"\""},
    {B, "            zRelation.rdForeignName(i) = \"\""},
    {B, "        Next i"},
    {B, "    End If"},
    {B, "End Sub"},
    {B, ""},
};

}  // namespace

bool WriteDisplayError(Printer& out, const RoutineOptions& options) { return WriteRoutine(out, options, kDisplayError); }
bool WriteCreateField(Printer& out, const RoutineOptions& options) { return WriteRoutine(out, options, kCreateField); }
bool WriteAddIndex(Printer& out, const RoutineOptions& options) { return WriteRoutine(out, options, kAddIndex); }
bool WriteAddRelation(Printer& out, const RoutineOptions& options) { return WriteRoutine(out, options, kAddRelation); }
bool WriteInitField(Printer& out, const RoutineOptions& options) { return WriteRoutine(out, options, kInitField); }
bool WriteInitIndex(Printer& out, const RoutineOptions& options) { return WriteRoutine(out, options, kInitIndex); }
bool WriteInitRelation(Printer& out, const RoutineOptions& options) {
    return WriteRoutine(out, options, kInitRelation);
}

// Property 3270 ("Property not found") is the one DAO raises for a property
// the object does not have yet; CreateProperty and Append make it.
constexpr RoutineLine kSetProperty[] = {
    {H, "'"},
    {H, "' SetProperty() sets a property of a saved object, and creates"},
    {H, "' the property first when the object does not have it."},
    {H, "'"},
    {B, "Private Sub SetProperty(oObject As Object, sName As String, iType As Integer, vValue As Variant)"},
    {B, "    Dim myProperty As Property"},
    {B, ""},
    {B, "    On Error Resume Next"},
    {B, "    oObject.Properties(sName) = vValue"},
    {B, "    If Err = 3270 Then"},
    {B, "        Err.Clear"},
    {B, "        Set myProperty = oObject.CreateProperty(sName, iType, vValue)"},
    {B, "        oObject.Properties.Append myProperty"},
    {B, "    End If"},
    {B, "    If Err <> 0 Then DisplayError \"SetProperty(): \" & oObject.Name & \".\" & sName"},
    {B, "End Sub"},
    {B, ""},
};

bool WriteSetProperty(Printer& out, const RoutineOptions& options) {
    return WriteRoutine(out, options, kSetProperty);
}

}  // namespace vt
