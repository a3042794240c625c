// The ADO constants callers pass and read back, with the platform's values.
#pragma once

namespace NUVADO {

enum CursorTypeEnum { adOpenUnspecified = -1, adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum { adLockUnspecified = -1, adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
enum CursorLocationEnum { adUseNone = 1, adUseServer = 2, adUseClient = 3 };
enum CommandTypeEnum {
    adCmdUnspecified = -1, adCmdText = 1, adCmdTable = 2, adCmdStoredProc = 4, adCmdUnknown = 8,
    adCmdFile = 256, adCmdTableDirect = 512,
};
enum ExecuteOptionEnum { adOptionUnspecified = -1, adAsyncExecute = 0x10, adAsyncFetch = 0x20, adExecuteNoRecords = 0x80 };
enum ObjectStateEnum { adStateClosed = 0, adStateOpen = 1 };
enum SearchDirectionEnum { adSearchBackward = -1, adSearchForward = 1 };
enum PersistFormatEnum { adPersistADTG = 0, adPersistXML = 1 };
enum AffectEnum { adAffectCurrent = 1, adAffectGroup = 2, adAffectAll = 3 };
enum StringFormatEnum { adClipString = 2 };
enum PositionEnum { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
enum BookmarkEnum { adBookmarkCurrent = 0, adBookmarkFirst = 1, adBookmarkLast = 2 };
enum EditModeEnum { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2, adEditDelete = 4 };
enum FilterGroupEnum { adFilterNone = 0 };
enum SchemaEnum { adSchemaColumns = 4, adSchemaIndexes = 12, adSchemaProcedures = 16, adSchemaTables = 20, adSchemaViews = 23 };
enum ParameterDirectionEnum {
    adParamUnknown = 0, adParamInput = 1, adParamOutput = 2, adParamInputOutput = 3, adParamReturnValue = 4,
};

enum DataTypeEnum {
    adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6, adDate = 7,
    adBSTR = 8, adError = 10, adBoolean = 11, adVariant = 12, adDecimal = 14, adTinyInt = 16,
    adUnsignedTinyInt = 17, adUnsignedSmallInt = 18, adUnsignedInt = 19, adBigInt = 20,
    adUnsignedBigInt = 21, adGUID = 72, adBinary = 128, adChar = 129, adWChar = 130, adNumeric = 131,
    adDBDate = 133, adDBTime = 134, adDBTimeStamp = 135, adVarChar = 200, adLongVarChar = 201,
    adVarWChar = 202, adLongVarWChar = 203, adVarBinary = 204, adLongVarBinary = 205,
};

enum FieldAttributeEnum {
    adFldUnspecified = -1, adFldMayDefer = 0x2, adFldUpdatable = 0x4, adFldUnknownUpdatable = 0x8,
    adFldFixed = 0x10, adFldIsNullable = 0x20, adFldMayBeNull = 0x40, adFldLong = 0x80,
    adFldRowID = 0x100, adFldRowVersion = 0x200, adFldKeyColumn = 0x8000,
};

// Status of one bound field of a record binding.
enum ADOFieldStatusEnum { adFldOK = 0, adFldBadAccessor = 1, adFldCantConvertValue = 2, adFldNull = 3, adFldTruncated = 4 };

// Result codes the layer raises (in addition to the runtime's E_* codes).
enum ErrorValueEnum : unsigned {
    adErrInvalidArgument = 0x800A0BB9u,     // 3001
    adErrNoCurrentRecord = 0x800A0BCDu,     // 3021
    adErrIllegalOperation = 0x800A0C93u,    // 3219
    adErrFeatureNotAvailable = 0x800A0CB3u, // 3251
    adErrItemNotFound = 0x800A0CC1u,        // 3265
    adErrDataConversion = 0x800A0D5Cu,      // 3421
    adErrObjectClosed = 0x800A0E78u,        // 3704
    adErrObjectOpen = 0x800A0E79u,          // 3705
    adErrProviderNotFound = 0x800A0E7Au,    // 3706
    adErrInvalidConnection = 0x800A0E7Du,   // 3709
    adErrCantChangeProvider = 0x800A0DB2u,
};

// Provider-level codes (OLE DB) raised for database failures.
enum ProviderErrorEnum : unsigned {
    DB_E_ERRORSINCOMMAND = 0x80040E14u,
    DB_E_PARAMNOTOPTIONAL = 0x80040E10u,
    DB_E_ERRORSOCCURRED = 0x80040E21u,
    DB_E_DELETEDROW = 0x80040E23u,
    DB_E_INTEGRITYVIOLATION = 0x80040E2Fu,
    DB_E_NOTABLE = 0x80040E37u,
    DB_E_CANTUPDATE = 0x80040E38u,
    DB_SEC_E_AUTH_FAILED = 0x80040E4Du,
};

}  // namespace NUVADO
