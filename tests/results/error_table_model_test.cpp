#include <gtest/gtest.h>

#include <unistd.h>
#include <QAbstractItemModelTester>

#include "engine/disk_utilities.h"
#include "platform/fakes/fake_workspace.h"
#include "results/sw_error_table_model.h"
#include "tests/support/fake_platform.h"

namespace {

using platform::Error;

QSRemovedFilePtr failed(const QString& path, std::optional<Error> error) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    return std::make_shared<QSRemovedFile>(file, false, std::move(error));
}

Error error(Error::Domain domain, int code, const QString& description = QString()) {
    return Error{domain, code, description, {}};
}

struct Case {
    std::optional<Error> error;
    const char* reason;
    const char* button;
};

// What each failure reads and offers: only a refusal of the user's own rights offers to
// delete as administrator.
TEST(ErrorTableModelTest, EachCodeHasItsReasonAndButton) {
    const Error busy = Error::fromErrno(EBUSY, QStringLiteral("/h/f"));
    Error readOnlyFolder = error(Error::Domain::Cocoa, Error::kFileWriteVolumeReadOnly, "folder");
    readOnlyFolder.underlying = std::make_shared<const Error>(Error::fromErrno(EROFS, "/h/f/x"));
    const Case cases[] = {
        {Error::fromErrno(EACCES, "/h/f"), SWErrorTableModel::kPermissionsReason, "Delete"},
        {Error::fromErrno(EPERM, "/h/f"), SWErrorTableModel::kPermissionsReason, "Delete"},
        {error(Error::Domain::OSStatus, -5000), SWErrorTableModel::kPermissionsReasonOSStatus,
         "Delete"},
        {Error::fromErrno(EROFS, "/h/f"), "The drive is read-only", "Show in Folder"},
        {readOnlyFolder, "The drive is read-only", "Show in Folder"},
        {Error::fromErrno(ENOENT, "/h/f"), "The file no longer exists.", "Show in Folder"},
        {error(Error::Domain::OSStatus, -43), "The file no longer exists.", "Show in Folder"},
        // The cause underneath is the reason, not the generic wrapper.
        {busy, "Device or resource busy", "Show in Folder"},
        {error(Error::Domain::Cocoa, 257, "Not readable."), "Not readable.", "Show in Folder"},
        {Error::changedSinceScan(), "The file changed after the scan.", "Show in Folder"},
        {error(Error::Domain::Cocoa, 9999), "Unknown Error", "Show in Folder"},
        {std::nullopt, "Unknown Error", "Show in Folder"},
    };
    for (const Case& each : cases) {
        const QSRemovedFilePtr record = failed(QStringLiteral("/h/f"), each.error);
        const QString code = each.error ? each.error->toString() : QStringLiteral("none");
        EXPECT_EQ(SWErrorTableModel::errorStringForError(each.error), QString(each.reason))
            << code.toStdString();
        EXPECT_EQ(SWErrorTableModel::buttonTitleForRecord(*record), QString(each.button))
            << code.toStdString();
    }
    EXPECT_EQ(QString(SWErrorTableModel::kPermissionsReason),
              u"Could not remove this file due to a permissions issue. Click the Delete button "
              u"to remove using Administrative privileges.");
    EXPECT_EQ(QString(SWErrorTableModel::kPermissionsReasonOSStatus),
              u"Could not remove this file due to a permissions issue. Click the 'Delete' button "
              u"to remove this file");
}

class TrashFolderTest : public ::testing::Test {
protected:
    const QString home = QStringLiteral("/home/ann");
    const QString uid = QString::number(QSDiskUtilities::sharedInstance().uid());
    FakePlatform platform{home,
                          {{QStringLiteral("/"), std::nullopt},
                           {QStringLiteral("/media/ann/USB"), QStringLiteral("USB")}}};
};

TEST_F(TrashFolderTest, OnlyPathsInsideTheUsersTrashFoldersCount) {
    const QString xdg = home + "/.local/share/Trash/files";
    const QString usb = QStringLiteral("/media/ann/USB");
    for (const QString& inside :
         {xdg + "/report.odt", xdg + "/folder/deep", usb + "/.Trash-" + uid + "/files/a.iso",
          usb + "/.Trash/" + uid + "/files/b.mkv", "/.Trash-" + uid + "/files/c"}) {
        EXPECT_TRUE(SWErrorTableModel::isInUsersTrash(inside)) << inside.toStdString();
    }
    for (const QString& outside : {
             xdg,                                    // the trash folder itself
             home + "/.local/share/Trash/info/x",    // beside the files
             home + "/.local/share/Trash/filesx/x",  // a name that only starts alike
             home + "/Documents/.Trash/x",           // a folder named like one
             home + "/.Trash-" + uid + "/files/x",   // not the top of a volume
             usb + "/.Trash-" + uid + "1/files/x",   // another user's
             usb + "/.Trash/" + uid + "/info/x",
             xdg + "/../../x",  // leaves it again
             QStringLiteral("relative/.local/share/Trash/files/x"),
         }) {
        EXPECT_FALSE(SWErrorTableModel::isInUsersTrash(outside)) << outside.toStdString();
    }
}

class ErrorTableModelRowsTest : public ::testing::Test {
protected:
    FakePlatform platform{QStringLiteral("/home/ann")};
    SWErrorTableModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ErrorTableModelRowsTest, RowsShowPathReasonAndButtonAndLeaveOneByOne) {
    static_cast<platform::fakes::FakeWorkspace&>(*platform::services().workspace)
        .setIcon(QStringLiteral("/home/ann/a"), QStringLiteral("text-x-generic"));
    const auto a = failed(QStringLiteral("/home/ann/a"), Error::fromErrno(EPERM, "a"));
    const auto b = failed(QStringLiteral("/home/ann/b"), Error::fromErrno(EROFS, "b"));
    b->file()->setIcon(QStringLiteral("/icons/own.png"));
    model.setResultsArray({a, b});
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    // A file without an icon takes the desktop's; one with its own keeps it.
    EXPECT_EQ(a->file()->icon(), u"text-x-generic");
    EXPECT_EQ(model.index(1, 0).data(SWErrorTableModel::IconReferenceRole).toString(),
              u"/icons/own.png");
    const QModelIndex name = model.index(0, SWErrorTableModel::NameColumn);
    EXPECT_EQ(name.data().toString(), u"/home/ann/a");
    EXPECT_EQ(name.data(Qt::AccessibleTextRole).toString(), u"/home/ann/a");
    EXPECT_EQ(name.data(Qt::AccessibleDescriptionRole),
              QString(SWErrorTableModel::kPermissionsReason));
    EXPECT_EQ(
        model.index(0, SWErrorTableModel::ButtonColumn).data(Qt::AccessibleTextRole).toString(),
        u"Delete");
    EXPECT_EQ(model.index(1, SWErrorTableModel::ButtonColumn).data().toString(), u"Show in Folder");
    EXPECT_TRUE(model.index(0, 0).data(SWErrorTableModel::PermissionsIssueRole).toBool());
    EXPECT_FALSE(model.index(1, 0).data(SWErrorTableModel::PermissionsIssueRole).toBool());

    // A watched file that moved shows its new place.
    a->file()->setPath(QStringLiteral("/home/ann/Desktop/a"));
    model.recordDidChange(a);
    EXPECT_EQ(model.index(0, SWErrorTableModel::NameColumn).data().toString(),
              u"/home/ann/Desktop/a");

    EXPECT_EQ(model.listedRecord(b.get()), b);
    EXPECT_TRUE(model.removeRecord(b));
    EXPECT_FALSE(model.removeRecord(b)) << "a record leaves the list once";
    EXPECT_EQ(model.listedRecord(b.get()), nullptr);
    EXPECT_EQ(model.recordAtRow(0), a);
    EXPECT_EQ(model.recordAtRow(1), nullptr);
    EXPECT_FALSE(model.index(1, 0).isValid());
}

}  // namespace
