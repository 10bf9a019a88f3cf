/* The simulated remote control and HID launcher: a HID minidriver serving one root device per
 * top-level collection (see KestrelHidSim.h), and a control device through which tools inject
 * input reports and read back the output reports the devices received.
 *
 * Input reports take the platform's own path: an injected report completes the HID class's
 * pending READ_REPORT, and the HID class turns it into raw input and into reads of the HID
 * device. Reports injected while no read is pending wait in a small queue per device. */
#include "HidMinidriver.h"
#include "../KestrelHidSim.h"

struct queued_report {
    ULONG length;
    UCHAR data[KHS_MAX_REPORT_LENGTH];
};

/* The minidriver's part of each device extension the HID class creates. */
struct sim_device {
    DEVICE_OBJECT* fdo;
    ULONG index; /* enum khs_device_index */
    BOOLEAN started;
    IRP* pending_read;
    ULONG queue_head;
    ULONG queue_count;
    struct queued_report queue[KHS_INPUT_QUEUE_LENGTH];
    ULONG injected;
    ULONG delivered;
};

/* Everything below is shared between the dispatch thread (control requests), the HID class's
 * read threads and the PnP thread, and guarded by one lock. */
static KSPIN_LOCK state_lock;
static struct sim_device* devices[KHS_DEVICE_COUNT]; /* from AddDevice to removal */
static struct khs_output_log output_log;

static DEVICE_OBJECT* control_device;
static UNICODE_STRING control_link;

/* The HID class takes over these entries on registration; requests that are not for the
 * control device go on to them. */
static PDRIVER_DISPATCH class_create;
static PDRIVER_DISPATCH class_close;
static PDRIVER_DISPATCH class_read;
static PDRIVER_DISPATCH class_write;
static PDRIVER_DISPATCH class_device_control;

static NTSTATUS complete_irp(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static SIZE_T wide_length(const WCHAR* text) {
    SIZE_T length = 0;
    while (text[length]) {
        ++length;
    }
    return length;
}

static BOOLEAN same_id(const WCHAR* a, const WCHAR* b) {
    for (;; ++a, ++b) {
        WCHAR x = (*a >= L'a' && *a <= L'z') ? *a - (L'a' - L'A') : *a;
        WCHAR y = (*b >= L'a' && *b <= L'z') ? *b - (L'a' - L'A') : *b;
        if (x != y) {
            return FALSE;
        }
        if (!x) {
            return TRUE;
        }
    }
}

static struct sim_device* sim_device_of(DEVICE_OBJECT* fdo) {
    KHS_HID_DEVICE_EXTENSION* hid = fdo->DeviceExtension;
    return hid->MiniDeviceExtension;
}

/* The FDO's own device, or null for any other device object of this driver (the HID class's
 * child devices and the control device). */
static struct sim_device* find_sim_device(DEVICE_OBJECT* device) {
    struct sim_device* found = NULL;
    KIRQL irql;
    ULONG i;
    KeAcquireSpinLock(&state_lock, &irql);
    for (i = 0; i < KHS_DEVICE_COUNT; ++i) {
        if (devices[i] && devices[i]->fdo == device) {
            found = devices[i];
        }
    }
    KeReleaseSpinLock(&state_lock, irql);
    return found;
}

/* Takes the pending read out of the device, unless its cancel routine already owns it. Called
 * with the lock held. */
static IRP* take_pending_read(struct sim_device* device) {
    IRP* irp = device->pending_read;
    device->pending_read = NULL;
    if (irp && !IoSetCancelRoutine(irp, NULL)) {
        return NULL;
    }
    return irp;
}

static NTSTATUS complete_read(IRP* irp, const UCHAR* data, ULONG length) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < length || !irp->UserBuffer) {
        return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
    }
    RtlCopyMemory(irp->UserBuffer, data, length);
    return complete_irp(irp, STATUS_SUCCESS, length);
}

static void NTAPI cancel_read(DEVICE_OBJECT* fdo, IRP* irp) {
    struct sim_device* device = sim_device_of(fdo);
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&state_lock, &irql);
    if (device->pending_read == irp) {
        device->pending_read = NULL;
    }
    KeReleaseSpinLock(&state_lock, irql);
    complete_irp(irp, STATUS_CANCELLED, 0);
}

/* The HID class keeps one read pending per device; it completes with the next report. */
static NTSTATUS read_report(struct sim_device* device, IRP* irp) {
    struct queued_report report;
    KIRQL irql;

    KeAcquireSpinLock(&state_lock, &irql);
    if (!device->started) {
        KeReleaseSpinLock(&state_lock, irql);
        return complete_irp(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    }
    if (device->queue_count) {
        report = device->queue[device->queue_head];
        device->queue_head = (device->queue_head + 1) % KHS_INPUT_QUEUE_LENGTH;
        --device->queue_count;
        ++device->delivered;
        KeReleaseSpinLock(&state_lock, irql);
        return complete_read(irp, report.data, report.length);
    }
    if (device->pending_read) {
        KeReleaseSpinLock(&state_lock, irql);
        return complete_irp(irp, STATUS_DEVICE_BUSY, 0);
    }
    IoMarkIrpPending(irp);
    IoSetCancelRoutine(irp, cancel_read);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
        KeReleaseSpinLock(&state_lock, irql);
        complete_irp(irp, STATUS_CANCELLED, 0);
        return STATUS_PENDING;
    }
    device->pending_read = irp;
    KeReleaseSpinLock(&state_lock, irql);
    return STATUS_PENDING;
}

static NTSTATUS record_output(struct sim_device* device, IRP* irp, unsigned int kind) {
    const KHS_HID_XFER_PACKET* packet = irp->UserBuffer;
    struct khs_output_report* entry;
    ULONG length;
    KIRQL irql;

    if (!khs_devices[device->index].output_report_id) {
        return complete_irp(irp, STATUS_NOT_SUPPORTED, 0);
    }
    if (!packet || !packet->reportBuffer || !packet->reportBufferLen) {
        return complete_irp(irp, STATUS_INVALID_PARAMETER, 0);
    }
    length = packet->reportBufferLen < KHS_MAX_REPORT_LENGTH ? packet->reportBufferLen
                                                             : KHS_MAX_REPORT_LENGTH;
    KeAcquireSpinLock(&state_lock, &irql);
    if (output_log.count == KHS_MAX_OUTPUT_REPORTS) {
        RtlMoveMemory(&output_log.reports[0], &output_log.reports[1],
                      sizeof output_log.reports[0] * (KHS_MAX_OUTPUT_REPORTS - 1));
        --output_log.count;
    }
    entry = &output_log.reports[output_log.count++];
    RtlZeroMemory(entry, sizeof *entry);
    entry->device = device->index;
    entry->kind = kind;
    entry->length = length;
    RtlCopyMemory(entry->data, packet->reportBuffer, length);
    ++output_log.total;
    KeReleaseSpinLock(&state_lock, irql);
    return complete_irp(irp, STATUS_SUCCESS, packet->reportBufferLen);
}

static NTSTATUS get_string(struct sim_device* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG id = (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
    const WCHAR* text;
    ULONG size;

    switch (id) {
    case KHS_HID_STRING_ID_IMANUFACTURER:
    case KHS_WINE_STRING_ID_IMANUFACTURER:
        text = L"Kestrel";
        break;
    case KHS_HID_STRING_ID_IPRODUCT:
    case KHS_WINE_STRING_ID_IPRODUCT:
        text = khs_devices[device->index].product;
        break;
    case KHS_HID_STRING_ID_ISERIALNUMBER:
    case KHS_WINE_STRING_ID_ISERIALNUMBER:
        text = khs_devices[device->index].instance;
        break;
    default:
        return complete_irp(irp, STATUS_INVALID_PARAMETER, 0);
    }
    size = (ULONG)((wide_length(text) + 1) * sizeof(WCHAR));
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < size || !irp->UserBuffer) {
        return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
    }
    RtlCopyMemory(irp->UserBuffer, text, size);
    return complete_irp(irp, STATUS_SUCCESS, size);
}

/* Requests of the HID class to its minidriver. Buffers follow METHOD_NEITHER: the output at
 * Irp->UserBuffer, transfer packets there too. */
static NTSTATUS NTAPI dispatch_internal_device_control(DEVICE_OBJECT* fdo, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG out_length = stack->Parameters.DeviceIoControl.OutputBufferLength;
    struct sim_device* device = find_sim_device(fdo);
    const struct khs_device_desc* desc;

    if (!device) {
        return complete_irp(irp, STATUS_NOT_SUPPORTED, 0);
    }
    desc = &khs_devices[device->index];

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case KHS_IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        KHS_HID_DESCRIPTOR* descriptor = irp->UserBuffer;
        if (out_length < sizeof *descriptor || !descriptor) {
            return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        RtlZeroMemory(descriptor, sizeof *descriptor);
        descriptor->bLength = sizeof *descriptor;
        descriptor->bDescriptorType = KHS_HID_HID_DESCRIPTOR_TYPE;
        descriptor->bcdHID = 0x0111;
        descriptor->bNumDescriptors = 1;
        descriptor->bReportType = KHS_HID_REPORT_DESCRIPTOR_TYPE;
        descriptor->wReportLength = desc->report_descriptor_length;
        return complete_irp(irp, STATUS_SUCCESS, sizeof *descriptor);
    }
    case KHS_IOCTL_HID_GET_REPORT_DESCRIPTOR:
        if (out_length < desc->report_descriptor_length || !irp->UserBuffer) {
            return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        RtlCopyMemory(irp->UserBuffer, desc->report_descriptor, desc->report_descriptor_length);
        return complete_irp(irp, STATUS_SUCCESS, desc->report_descriptor_length);
    case KHS_IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        KHS_HID_DEVICE_ATTRIBUTES* attributes = irp->UserBuffer;
        if (out_length < sizeof *attributes || !attributes) {
            return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        RtlZeroMemory(attributes, sizeof *attributes);
        attributes->Size = sizeof *attributes;
        attributes->VendorID = desc->vendor_id;
        attributes->ProductID = desc->product_id;
        attributes->VersionNumber = KHS_VERSION_NUMBER;
        return complete_irp(irp, STATUS_SUCCESS, sizeof *attributes);
    }
    case KHS_IOCTL_HID_READ_REPORT:
        return read_report(device, irp);
    case KHS_IOCTL_HID_SET_OUTPUT_REPORT:
        return record_output(device, irp, KHS_OUTPUT_SET_REPORT);
    case KHS_IOCTL_HID_WRITE_REPORT:
        return record_output(device, irp, KHS_OUTPUT_WRITE);
    case KHS_IOCTL_HID_GET_STRING:
        return get_string(device, irp);
    case KHS_IOCTL_HID_ACTIVATE_DEVICE:
    case KHS_IOCTL_HID_DEACTIVATE_DEVICE:
        return complete_irp(irp, STATUS_SUCCESS, 0);
    default:
        return complete_irp(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

static NTSTATUS NTAPI forwarded_start_done(DEVICE_OBJECT* device, IRP* irp, void* context) {
    (void)device;
    (void)irp;
    KeSetEvent(context, IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

static void stop_device(struct sim_device* device, BOOLEAN forget) {
    IRP* read;
    KIRQL irql;
    KeAcquireSpinLock(&state_lock, &irql);
    device->started = FALSE;
    device->queue_count = 0;
    read = take_pending_read(device);
    if (forget && devices[device->index] == device) {
        devices[device->index] = NULL;
    }
    KeReleaseSpinLock(&state_lock, irql);
    /* Lets the HID class's read thread see that the device is going. */
    if (read) {
        complete_irp(read, STATUS_DELETE_PENDING, 0);
    }
}

/* PnP requests for our FDOs, handed on by the HID class. */
static NTSTATUS NTAPI dispatch_pnp(DEVICE_OBJECT* fdo, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    KHS_HID_DEVICE_EXTENSION* hid = fdo->DeviceExtension;
    struct sim_device* device = hid->MiniDeviceExtension;
    NTSTATUS status;
    KEVENT event;
    KIRQL irql;

    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        /* The device below starts first. */
        KeInitializeEvent(&event, NotificationEvent, FALSE);
        IoCopyCurrentIrpStackLocationToNext(irp);
        IoSetCompletionRoutine(irp, forwarded_start_done, &event, TRUE, TRUE, TRUE);
        status = IoCallDriver(hid->NextDeviceObject, irp);
        if (status == STATUS_PENDING) {
            KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
            status = irp->IoStatus.Status;
        }
        if (NT_SUCCESS(status)) {
            KeAcquireSpinLock(&state_lock, &irql);
            device->started = TRUE;
            device->injected = 0;
            device->delivered = 0;
            KeReleaseSpinLock(&state_lock, irql);
        }
        return complete_irp(irp, status, irp->IoStatus.Information);
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_SURPRISE_REMOVAL:
        stop_device(device, FALSE);
        break;
    case IRP_MN_REMOVE_DEVICE:
        /* The HID class deletes the FDO, and this extension with it, when this returns. */
        stop_device(device, TRUE);
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(hid->NextDeviceObject, irp);
}

static NTSTATUS query_instance_id(DEVICE_OBJECT* pdo, WCHAR** id) {
    IO_STATUS_BLOCK io;
    IO_STACK_LOCATION* stack;
    NTSTATUS status;
    KEVENT event;
    IRP* irp;

    KeInitializeEvent(&event, NotificationEvent, FALSE);
    irp = IoBuildSynchronousFsdRequest(IRP_MJ_PNP, pdo, NULL, 0, NULL, &event, &io);
    if (!irp) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    irp->IoStatus.Status = STATUS_NOT_SUPPORTED;
    stack = IoGetNextIrpStackLocation(irp);
    stack->MinorFunction = IRP_MN_QUERY_ID;
    stack->Parameters.QueryId.IdType = BusQueryInstanceID;
    status = IoCallDriver(pdo, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
        status = io.Status;
    }
    if (NT_SUCCESS(status)) {
        *id = (WCHAR*)io.Information;
    }
    return status;
}

/* Called by the HID class with the FDO it made; the root device's instance id tells which of
 * the simulated devices this is. */
static NTSTATUS NTAPI add_device(DRIVER_OBJECT* driver, DEVICE_OBJECT* fdo) {
    KHS_HID_DEVICE_EXTENSION* hid = fdo->DeviceExtension;
    struct sim_device* device = hid->MiniDeviceExtension;
    WCHAR* instance = NULL;
    NTSTATUS status;
    KIRQL irql;
    ULONG i;

    (void)driver;
    RtlZeroMemory(device, sizeof *device);
    device->fdo = fdo;
    device->index = KHS_DEVICE_COUNT;

    status = query_instance_id(hid->PhysicalDeviceObject, &instance);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    for (i = 0; i < KHS_DEVICE_COUNT; ++i) {
        if (same_id(instance, khs_devices[i].instance)) {
            device->index = i;
        }
    }
    ExFreePool(instance);
    if (device->index == KHS_DEVICE_COUNT) {
        return STATUS_NO_SUCH_DEVICE;
    }

    KeAcquireSpinLock(&state_lock, &irql);
    if (devices[device->index]) {
        status = STATUS_OBJECT_NAME_COLLISION;
    } else {
        devices[device->index] = device;
    }
    KeReleaseSpinLock(&state_lock, irql);
    return status;
}

static NTSTATUS inject_input(const struct khs_input_report* report) {
    struct sim_device* device;
    struct queued_report* slot;
    IRP* read;
    KIRQL irql;

    if (report->device >= KHS_DEVICE_COUNT) {
        return STATUS_INVALID_PARAMETER;
    }
    if (!report->length || report->length > khs_devices[report->device].input_report_length) {
        return STATUS_INVALID_BUFFER_SIZE;
    }
    KeAcquireSpinLock(&state_lock, &irql);
    device = devices[report->device];
    if (!device || !device->started) {
        KeReleaseSpinLock(&state_lock, irql);
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    read = device->queue_count ? NULL : take_pending_read(device);
    if (!read && device->queue_count == KHS_INPUT_QUEUE_LENGTH) {
        KeReleaseSpinLock(&state_lock, irql);
        return STATUS_DEVICE_BUSY;
    }
    ++device->injected;
    if (read) {
        ++device->delivered;
    } else {
        slot = &device->queue[(device->queue_head + device->queue_count) % KHS_INPUT_QUEUE_LENGTH];
        slot->length = report->length;
        RtlCopyMemory(slot->data, report->data, report->length);
        ++device->queue_count;
    }
    KeReleaseSpinLock(&state_lock, irql);
    if (read) {
        complete_read(read, report->data, report->length);
    }
    return STATUS_SUCCESS;
}

static void get_status(struct khs_status* status) {
    KIRQL irql;
    ULONG i;
    RtlZeroMemory(status, sizeof *status);
    status->protocol_version = KHS_PROTOCOL_VERSION;
    status->device_count = KHS_DEVICE_COUNT;
    KeAcquireSpinLock(&state_lock, &irql);
    for (i = 0; i < KHS_DEVICE_COUNT; ++i) {
        const struct sim_device* device = devices[i];
        if (device) {
            status->devices[i].started = device->started;
            status->devices[i].read_pending = device->pending_read != NULL;
            status->devices[i].queued = device->queue_count;
            status->devices[i].injected = device->injected;
            status->devices[i].delivered = device->delivered;
        }
    }
    KeReleaseSpinLock(&state_lock, irql);
}

static NTSTATUS control_device_control(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG in_length = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_length = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    KIRQL irql;

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case KHS_IOCTL_INJECT_INPUT:
        if (in_length < sizeof(struct khs_input_report) || !buffer) {
            return complete_irp(irp, STATUS_INVALID_PARAMETER, 0);
        }
        return complete_irp(irp, inject_input(buffer), 0);
    case KHS_IOCTL_GET_OUTPUT_REPORTS:
        if (out_length < sizeof(struct khs_output_log) || !buffer) {
            return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        KeAcquireSpinLock(&state_lock, &irql);
        RtlCopyMemory(buffer, &output_log, sizeof output_log);
        KeReleaseSpinLock(&state_lock, irql);
        return complete_irp(irp, STATUS_SUCCESS, sizeof(struct khs_output_log));
    case KHS_IOCTL_CLEAR_OUTPUT_REPORTS:
        KeAcquireSpinLock(&state_lock, &irql);
        RtlZeroMemory(&output_log, sizeof output_log);
        KeReleaseSpinLock(&state_lock, irql);
        return complete_irp(irp, STATUS_SUCCESS, 0);
    case KHS_IOCTL_GET_STATUS:
        if (out_length < sizeof(struct khs_status) || !buffer) {
            return complete_irp(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        get_status(buffer);
        return complete_irp(irp, STATUS_SUCCESS, sizeof(struct khs_status));
    default:
        return complete_irp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS NTAPI dispatch_create(DEVICE_OBJECT* device, IRP* irp) {
    if (device == control_device) {
        return complete_irp(irp, STATUS_SUCCESS, 0);
    }
    return class_create(device, irp);
}

static NTSTATUS NTAPI dispatch_close(DEVICE_OBJECT* device, IRP* irp) {
    if (device == control_device) {
        return complete_irp(irp, STATUS_SUCCESS, 0);
    }
    return class_close(device, irp);
}

static NTSTATUS NTAPI dispatch_read(DEVICE_OBJECT* device, IRP* irp) {
    if (device == control_device) {
        return complete_irp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    return class_read(device, irp);
}

static NTSTATUS NTAPI dispatch_write(DEVICE_OBJECT* device, IRP* irp) {
    if (device == control_device) {
        return complete_irp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    return class_write(device, irp);
}

static NTSTATUS NTAPI dispatch_device_control(DEVICE_OBJECT* device, IRP* irp) {
    if (device == control_device) {
        return control_device_control(irp);
    }
    return class_device_control(device, irp);
}

static void NTAPI driver_unload(DRIVER_OBJECT* driver) {
    (void)driver;
    IoDeleteSymbolicLink(&control_link);
    IoDeleteDevice(control_device);
    control_device = NULL;
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry_path) {
    KHS_HID_MINIDRIVER_REGISTRATION registration;
    UNICODE_STRING name;
    NTSTATUS status;

    KeInitializeSpinLock(&state_lock);

    /* The control device comes first: failing after the HID class registration would leave
     * the class holding a driver that is gone. */
    RtlInitUnicodeString(&name, KHS_CONTROL_DEVICE_NAME);
    RtlInitUnicodeString(&control_link, KHS_CONTROL_LINK_NAME);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN, FALSE,
                            &control_device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    status = IoCreateSymbolicLink(&control_link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(control_device);
        return status;
    }

    driver->DriverUnload = driver_unload;
    driver->DriverExtension->AddDevice = add_device;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatch_internal_device_control;

    RtlZeroMemory(&registration, sizeof registration);
    registration.Revision = KHS_HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registry_path;
    registration.DeviceExtensionSize = sizeof(struct sim_device);
    registration.DevicesArePolled = FALSE;
    status = HidRegisterMinidriver(&registration);
    if (!NT_SUCCESS(status)) {
        driver_unload(driver);
        return status;
    }

    class_create = driver->MajorFunction[IRP_MJ_CREATE];
    class_close = driver->MajorFunction[IRP_MJ_CLOSE];
    class_read = driver->MajorFunction[IRP_MJ_READ];
    class_write = driver->MajorFunction[IRP_MJ_WRITE];
    class_device_control = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_READ] = dispatch_read;
    driver->MajorFunction[IRP_MJ_WRITE] = dispatch_write;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_device_control;

    control_device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
