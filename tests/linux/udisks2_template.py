'''UDisks2 as far as the mount and the eject use it: the file system of each drive in MOUNTS mounts, or refuses
so; each device in EJECTS unmounts, then its drive ejects or its loop device is deleted, or refuses so. The
parameters "image_mount" (where an attached image mounts) and "ejects" (in place of EJECTS) fit it to a
simulated machine.'''
import dbus
import dbusmock

BUS_NAME, MAIN_OBJ, SYSTEM_BUS = 'org.freedesktop.UDisks2', '/org/freedesktop/UDisks2/Manager', True
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
BLOCKS, ERROR = '/org/freedesktop/UDisks2/block_devices/', 'org.freedesktop.UDisks2.Error.'
MOUNTS = {'sr0': "ret = '/media/user/DISC'", 'sr1': 'NotAuthorizedCanObtain', 'sr2': 'Failed', 'sr3': 'AlreadyMounted'}
# device: (what Unmount says, what Eject or Delete says); '' is a success.
EJECTS = {'sr4': ('', ''), 'sr5': ('NotMounted', ''), 'sr8': ('', 'NotAuthorizedDismissed'), 'loop1': ('', 'Failed')}

def refusal(outcome):
    return f"raise dbus.exceptions.DBusException('refused by the test', name='{ERROR}{outcome}')"

def load(mock, parameters):
    # By the node's name: a simulated machine keeps its device nodes elsewhere than /dev.
    found = f"'{BLOCKS}' + args[0]['path'].rsplit('/', 1)[-1]"
    mock.AddMethod(MAIN_IFACE, 'ResolveDevice', 'a{sv}a{sv}', 'ao', f'ret = [{found}] if {found} in objects else []')
    ejects = parameters.get('ejects', EJECTS)
    for name, outcome in ((n, o) for n, o in MOUNTS.items() if n not in ejects):
        mock.AddObject(BLOCKS + name, 'org.freedesktop.UDisks2.Block', {}, [])
        dbusmock.get_object(BLOCKS + name).AddMethod('org.freedesktop.UDisks2.Filesystem', 'Mount', 'a{sv}', 's',
                                                     outcome if outcome.startswith('ret') else refusal(outcome))
    # An image attached read-only becomes loop7, whose file system mounts.
    mock.AddMethod(MAIN_IFACE, 'LoopSetup', 'ha{sv}', 'o',
                   f"if not args[1].get('read-only'): {refusal('Failed')}\n"
                   f"ret = dbus.ObjectPath('{BLOCKS}loop7')")
    mock.AddObject(BLOCKS + 'loop7', 'org.freedesktop.UDisks2.Block', {}, [])
    dbusmock.get_object(BLOCKS + 'loop7').AddMethod('org.freedesktop.UDisks2.Filesystem', 'Mount', 'a{sv}', 's',
                                                    f"ret = {parameters.get('image_mount', '/media/user/IMAGE')!r}")
    for name, (unmount, out) in ejects.items():
        image, drive = name.startswith('loop'), '/org/freedesktop/UDisks2/drives/' + name
        mock.AddObject(BLOCKS + name, 'org.freedesktop.UDisks2.Block',
                       {'Drive': dbus.ObjectPath('/' if image else drive)}, [])
        block = dbusmock.get_object(BLOCKS + name)
        block.AddMethod('org.freedesktop.UDisks2.Filesystem', 'Unmount', 'a{sv}', '', refusal(unmount) if unmount else '')
        # The wrong way out fails, so that a success shows the right one was taken.
        block.AddMethod('org.freedesktop.UDisks2.Loop', 'Delete', 'a{sv}', '',
                        (refusal(out) if out else '') if image else refusal('Failed'))
        if not image:
            mock.AddObject(drive, 'org.freedesktop.UDisks2.Drive', {},
                           [('Eject', 'a{sv}', '', refusal(out) if out else '')])
